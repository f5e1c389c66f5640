#include "session/bulk_walk.h"

#include <algorithm>
#include <new>
#include <vector>

#include "qmr.h"
#include "session/oid_order.h"
#include "net/owned.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/snmp_target.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace {

// Most repetitions asked for at once: past a table's end the rows are of no
// use, and agents cut long answers anyway.
constexpr uint32_t kMaxRepetitions = 16;
// Message and PDU headers of an answer: with SNMPv3's security headers,
// and with a community of a few dozen characters.
constexpr int64_t kAnswerOverheadV3 = 160;
constexpr int64_t kAnswerOverheadCommunity = 64;
// What a cell not yet seen is assumed to need beyond its name: a longer
// index and a value the size of a short number or object identifier, as
// most status columns hold (an answer a little over the estimate is still
// read whole; the first answer teaches the real sizes).
constexpr uint32_t kGuessedIndexGrowth = 2;
constexpr uint32_t kGuessedValueSize = 8;
constexpr int32_t kNonRepeaters = 0;
constexpr int32_t kErrorTooBig = 1;

// Encoded sizes, as the BER writer lays them out.
uint32_t tlv_size(uint32_t content) { return 1 + (content < 0x80 ? 1 : content <= 0xFF ? 2 : 3) + content; }

uint32_t sub_id_size(uint32_t v) { return v < (1u << 7) ? 1 : v < (1u << 14) ? 2 : v < (1u << 21) ? 3 : v < (1u << 28) ? 4 : 5; }

uint32_t oid_size(const ITqsOid *oid) {
  if (oid == nullptr) return tlv_size(0);
  uint32_t n = 0;
  const uint32_t *ids = tqc_oid_ids(oid, &n);
  if (n < 2) return tlv_size(n);
  uint32_t content = sub_id_size(ids[0] * 40 + ids[1]);
  for (uint32_t i = 2; i < n; ++i) content += sub_id_size(ids[i]);
  return tlv_size(content);
}

uint32_t value_size(const ITqsSnmpValue *value) {
  if (value == nullptr) return tlv_size(0);
  switch (value->type()) {
    case kTqsObjectId: return oid_size(const_cast<ITqsSnmpValue *>(value)->as_oid());
    case kTqsInteger:
    case kTqsCounter32:
    case kTqsGauge32:
    case kTqsTimeTicks: return tlv_size(5);
    case kTqsCounter64: return tlv_size(9);
    case kTqsNull:
    case kTqsNoSuchObject:
    case kTqsNoSuchInstance:
    case kTqsEndOfMibView: return tlv_size(0);
    default: return tlv_size(value->length());
  }
}

uint32_t cell_size(const ITqsVarBind *cell) { return tlv_size(oid_size(cell->get_name()) + value_size(cell->get_value())); }

// What one column's answers say about the agent's OIDs after `start`: the
// rising cells are consecutive OIDs of the agent (none lies between two of
// them); one further cell may follow that ends the column (an exception
// value, or an OID that did not increase), and it answers only for the cell
// before it.
struct Chain {
  TqcOwned<ITqsOid> start;
  std::vector<TqcOwned<ITqsVarBind>> cells;
  size_t rising = 0;

  // Keeps the rising cells and the one that ends them.
  void settle() {
    const ITqsOid *previous = start.get();
    rising = 0;
    while (rising < cells.size()) {
      const ITqsVarBind *cell = cells[rising].get();
      const ITqsOid *name = cell->get_name();
      if (name == nullptr || tqc_is_exception_value(cell->get_value()) ||
          tqc_compare_oid_numeric(name, previous) <= 0)
        break;
      previous = name;
      ++rising;
    }
    if (cells.size() > rising + 1) cells.resize(rising + 1);
  }

  bool ends_view() const {
    if (rising >= cells.size()) return false;
    const ITqsSnmpValue *value = cells[rising]->get_value();
    return value != nullptr && value->type() == kTqsEndOfMibView;
  }

  // The cell a GETNEXT of `asked` gets, or null when this answer does not
  // say; *end is set instead when the answer is the end of the agent's view.
  const ITqsVarBind *answer(const ITqsOid *asked, bool *end) const {
    *end = false;
    if (cells.empty()) return nullptr;
    const int from_start = tqc_compare_oid_numeric(asked, start.get());
    if (from_start < 0) return nullptr;
    if (from_start == 0) return cells[0].get();
    for (size_t i = 0; i < rising; ++i) {
      const int order = tqc_compare_oid_numeric(asked, cells[i]->get_name());
      if (order < 0) return cells[i].get();
      if (order == 0) return i + 1 < cells.size() ? cells[i + 1].get() : nullptr;
    }
    *end = ends_view();
    return nullptr;
  }
};

// Clones `oid` into `list` as a varbind with a value of `type` and no
// content (NULL, an exception).
int32_t append_name(ITqsVarBindList *list, const ITqsOid *oid, uint32_t type = kTqsNull) {
  int32_t rc = QMR_OK;
  TqcOwned<ITqsOid> name(oid->clone_oid(&rc));
  if (!name) return rc;
  TqcOwned<ITqsSnmpValue> none(tqs_create_value(type, &rc));
  if (!none) return rc;
  if ((rc = list->append_new(name.get(), none.get())) != QMR_OK) return rc;
  name.release();
  none.release();
  return QMR_OK;
}

// The OID a GETNEXT asks for to be answered with `oid` when it exists:
// the last sub-identifier one less, or dropped when it is 0.
int32_t step_back(ITqsOid *oid) {
  uint32_t n = 0;
  const uint32_t *ids = tqc_oid_ids(oid, &n);
  if (n == 0) return QMR_E_INVALID_ARG;
  if (ids[n - 1] == 0) return oid->remove(n - 1, 1);
  std::vector<uint32_t> before(ids, ids + n);
  --before.back();
  return oid->set_sub_identifiers(before.data(), n);
}

class CTqcBulkShare final : public ITqcBulkShare {
 public:
  void release() override { delete this; }
  int32_t plan_walk(const char *const *columns, size_t count) override {
    if (columns == nullptr) return QMR_E_INVALID_ARG;
    ++m_walks;
    for (size_t i = 0; i < count; ++i) {
      const int32_t rc = plan(columns[i], m_walks, false);
      if (rc != QMR_OK) return rc;
    }
    return QMR_OK;
  }
  int32_t plan_get(const char *oid, bool scalar) override { return plan(oid, 0, scalar); }

  bool is_planned(const ITqsOid *name) const {
    for (const Planned &p : planned)
      if (tqc_compare_oid_numeric(p.next.get(), name) == 0) return true;
    return false;
  }

  // The GETNEXT a later read starts with, and the walk it starts (0: a GET).
  struct Planned {
    TqcOwned<ITqsOid> next;
    uint32_t walk;
    bool started = false;  // asked for
  };
  std::vector<Planned> planned;
  std::vector<Chain> kept;                 // their answers, once asked

 private:
  uint32_t m_walks = 0;

  ~CTqcBulkShare() override = default;

  // A GET (walk 0) is asked as the GETNEXT of the object before its
  // instance.
  int32_t plan(const char *oid, uint32_t walk, bool scalar) {
    if (oid == nullptr) return QMR_E_INVALID_ARG;
    int32_t rc = QMR_OK;
    TqcOwned<ITqsOid> name(tqs_create_oid_from_text(oid, &rc));
    if (!name) return rc;
    if (scalar && (rc = name->append_sub_identifier(0)) != QMR_OK) return rc;
    if (walk == 0 && (rc = step_back(name.get())) != QMR_OK) return rc;
    planned.push_back(Planned{TqcOwned<ITqsOid>(name.release()), walk});
    return QMR_OK;
  }
};

class CTqcBulkWalkSession final : public ITqsSnmpSession {
 public:
  CTqcBulkWalkSession(ITqsSnmpSession *inner, ITqsSnmpTarget *target, CTqcBulkShare *share)
      : m_pInner(inner), m_pTarget(target), m_pShare(share) {}

  void release() override { delete this; }
  int32_t send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) override;
  int32_t send_sync(ITqsSnmpPacket *packet) override { return m_pInner->send_sync(packet); }
  int32_t send_broad_cast_sync(ITqsSnmpPacket *packet, ITqsSnmpPacketList **list) override {
    return m_pInner->send_broad_cast_sync(packet, list);
  }
  int32_t send_broad_cast_sync(ITqsPdu *pdu, ITqsSnmpTarget *target, ITqsSnmpPacketList **list) override {
    return m_pInner->send_broad_cast_sync(pdu, target, list);
  }
  int32_t reserved() override { return QMR_E_NOT_SUPPORTED; }

 private:
  ~CTqcBulkWalkSession() override = default;

  // Outcome of a GetBulkRequest when it gives no answer to use.
  static constexpr int32_t kAskRowByRow = 1;

  // What the chains answer for one OID asked for: a cell, or the end of
  // the agent's view.
  struct Found {
    const ITqsVarBind *cell;
    bool end;
  };

  int32_t send_get(ITqsPdu *pdu, ITqsSnmpTarget *target);
  bool find(const ITqsOid *name, Found *found) const;
  // Whether the chains answer every OID of the request, each in `found`.
  bool covered(const ITqsVarBindList *asked, std::vector<Found> *found) const;
  // Turns the request into the response those answers make.
  int32_t answer(ITqsPdu *pdu, const std::vector<Found> &found);
  // One GetBulkRequest: `leading` and the share's planned GETNEXTs not yet
  // answered as non-repeaters, `asked` (may be empty) as repeaters.
  // `share_rows`: the repeaters' answers are kept in the share.
  int32_t fetch(const ITqsVarBindList *leading, const ITqsVarBindList *asked, bool share_rows = false);
  // The columns of the first planned walk nothing was asked for yet.
  int32_t first_walk(ITqsVarBindList *out) const;
  int32_t non_repeaters(const ITqsVarBindList *leading, const ITqsVarBindList *asked, ITqsVarBindList *out);
  int32_t exchange_bulk(const ITqsVarBindList *leading, const ITqsVarBindList *asked, uint32_t repetitions,
                        TqcOwned<ITqsPdu> *answer);
  uint32_t repetitions_for(const ITqsVarBindList *leading, const ITqsVarBindList *asked);
  int32_t keep_chains(const ITqsVarBindList *leading, const ITqsVarBindList *asked, ITqsPdu *answer,
                      bool share_rows);

  ITqsSnmpSession *m_pInner;
  ITqsSnmpTarget *m_pTarget;
  CTqcBulkShare *m_pShare;  // null: no plan, nothing kept past the walk
  std::vector<Chain> m_chains;
  std::vector<uint32_t> m_cellSizes;  // largest cell seen per asked position (0: none yet)
  uint32_t m_cap = kMaxRepetitions;
  bool m_rowByRow = false;  // the agent's answers to GetBulkRequests are of no use
};

int32_t CTqcBulkWalkSession::send_sync(ITqsPdu *pdu, ITqsSnmpTarget *target) {
  if (pdu == nullptr || target == nullptr) return QMR_E_INVALID_ARG;
  if (pdu->get_type() == kTqsGetRequest && m_pShare != nullptr && !m_rowByRow) return send_get(pdu, target);
  if (pdu->get_type() != kTqsGetNextRequest || m_rowByRow) return m_pInner->send_sync(pdu, target);
  std::vector<Found> found;
  if (covered(pdu->get_var_bind_list(), &found)) return answer(pdu, found);
  const int32_t rc = fetch(nullptr, pdu->get_var_bind_list());
  if (rc == QMR_OK && covered(pdu->get_var_bind_list(), &found)) return answer(pdu, found);
  if (rc != QMR_OK && rc != kAskRowByRow) return rc;
  m_chains.clear();
  return m_pInner->send_sync(pdu, target);
}

int32_t CTqcBulkWalkSession::send_get(ITqsPdu *pdu, ITqsSnmpTarget *target) {
  const ITqsVarBindList *asked = pdu->get_var_bind_list();
  const uint32_t count = asked != nullptr ? asked->count() : 0;
  if (count == 0) return m_pInner->send_sync(pdu, target);
  int32_t rc = QMR_OK;
  TqcOwned<ITqsVarBindList> before(tqs_create_var_bind_list(&rc));
  if (!before) return rc;
  for (uint32_t i = 0; i < count; ++i) {
    const ITqsOid *name = asked->get_at(i)->get_name();
    if (name == nullptr) return m_pInner->send_sync(pdu, target);
    if ((rc = append_name(before.get(), name)) != QMR_OK) return rc;
    // An empty name has nothing before it.
    if (step_back(before->get_at(i)->get_name()) != QMR_OK) return m_pInner->send_sync(pdu, target);
  }
  // Only an answer naming exactly the instance asked for is its value.
  std::vector<Found> found;
  auto exact = [&] {
    if (!covered(before.get(), &found)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      const ITqsVarBind *cell = found[i].cell;
      if (cell == nullptr || cell->get_name() == nullptr || tqc_is_exception_value(cell->get_value()) ||
          tqc_compare_oid_numeric(cell->get_name(), asked->get_at(i)->get_name()) != 0)
        return false;
    }
    return true;
  };
  if (exact()) return answer(pdu, found);
  // A GET the call planned and the share knows nothing of yet brings the
  // plan along; any other goes out as it is.
  bool planned = !covered(before.get(), &found);
  for (uint32_t i = 0; i < count && planned; ++i) planned = m_pShare->is_planned(before->get_at(i)->get_name());
  if (!planned) return m_pInner->send_sync(pdu, target);
  // The first planned walk not begun rides along as the repeaters, its
  // rows kept in the share.
  TqcOwned<ITqsVarBindList> walk(tqs_create_var_bind_list(&rc));
  if (!walk) return rc;
  if ((rc = first_walk(walk.get())) != QMR_OK) return rc;
  rc = fetch(before.get(), walk.get(), true);
  if (rc != QMR_OK && rc != kAskRowByRow) return rc;
  if (rc != QMR_OK || !exact()) return m_pInner->send_sync(pdu, target);
  return answer(pdu, found);
}

bool CTqcBulkWalkSession::find(const ITqsOid *name, Found *f) const {
  for (const Chain &chain : m_chains)
    if ((f->cell = chain.answer(name, &f->end)) != nullptr || f->end) return true;
  if (m_pShare != nullptr)
    for (const Chain &chain : m_pShare->kept)
      if ((f->cell = chain.answer(name, &f->end)) != nullptr || f->end) return true;
  return false;
}

bool CTqcBulkWalkSession::covered(const ITqsVarBindList *asked, std::vector<Found> *found) const {
  const uint32_t count = asked != nullptr ? asked->count() : 0;
  if (count == 0) return false;
  found->assign(count, Found{nullptr, false});
  for (uint32_t i = 0; i < count; ++i) {
    const ITqsOid *name = asked->get_at(i)->get_name();
    if (name == nullptr || !find(name, &(*found)[i])) return false;
  }
  return true;
}

int32_t CTqcBulkWalkSession::answer(ITqsPdu *pdu, const std::vector<Found> &found) {
  const ITqsVarBindList *asked = pdu->get_var_bind_list();
  int32_t rc = QMR_OK;
  TqcOwned<ITqsVarBindList> cells(tqs_create_var_bind_list(&rc));
  if (!cells) return rc;
  cells->reserve(static_cast<uint32_t>(found.size()));
  for (size_t i = 0; i < found.size(); ++i) {
    if (found[i].cell == nullptr) {
      // An end of view is named by the OID asked for, as agents do.
      const ITqsOid *name = asked->get_at(static_cast<uint32_t>(i))->get_name();
      if ((rc = append_name(cells.get(), name, kTqsEndOfMibView)) != QMR_OK) return rc;
      continue;
    }
    TqcOwned<ITqsVarBind> cell(found[i].cell->clone(&rc));
    if (!cell) return rc;
    if ((rc = cells->append(cell.get())) != QMR_OK) return rc;
    cell.release();
  }
  // The request becomes the response an agent would have sent.
  if ((rc = pdu->set_var_bind_list(cells.get())) != QMR_OK) return rc;
  cells.release();
  pdu->set_type(kTqsResponse);
  pdu->set_error_status(0);
  pdu->set_error_index(0);
  return QMR_OK;
}

// Whether `name` is one of `list`'s OIDs.
bool listed(const ITqsVarBindList *list, const ITqsOid *name) {
  for (uint32_t i = 0; list != nullptr && i < list->count(); ++i)
    if (tqc_compare_oid_numeric(list->get_at(i)->get_name(), name) == 0) return true;
  return false;
}

int32_t CTqcBulkWalkSession::non_repeaters(const ITqsVarBindList *leading, const ITqsVarBindList *asked,
                                           ITqsVarBindList *out) {
  int32_t rc = QMR_OK;
  for (uint32_t i = 0; leading != nullptr && i < leading->count(); ++i)
    if ((rc = append_name(out, leading->get_at(i)->get_name())) != QMR_OK) return rc;
  if (m_pShare == nullptr) return QMR_OK;
  Found f{};
  for (CTqcBulkShare::Planned &p : m_pShare->planned) {
    const ITqsOid *name = p.next.get();
    p.started = p.started || listed(asked, name);
    if (p.started || find(name, &f) || listed(out, name)) continue;
    if ((rc = append_name(out, name)) != QMR_OK) return rc;
  }
  return QMR_OK;
}

uint32_t CTqcBulkWalkSession::repetitions_for(const ITqsVarBindList *leading, const ITqsVarBindList *asked) {
  const uint32_t count = asked != nullptr ? asked->count() : 0;
  if (count == 0) return 0;
  if (m_cellSizes.size() != count) m_cellSizes.assign(count, 0);
  auto guess = [](const ITqsVarBind *cell) {
    return tlv_size(oid_size(cell->get_name()) + kGuessedIndexGrowth + kGuessedValueSize);
  };
  int64_t row = 0;
  for (uint32_t i = 0; i < count; ++i) row += m_cellSizes[i] != 0 ? m_cellSizes[i] : guess(asked->get_at(i));
  int64_t budget = m_pTarget->get_max_message_size() -
                   (m_pTarget->get_version() == kTqsSnmpV3 ? kAnswerOverheadV3 : kAnswerOverheadCommunity);
  for (uint32_t i = 0; leading != nullptr && i < leading->count(); ++i) budget -= guess(leading->get_at(i));
  const int64_t fitting = row > 0 ? budget / row : 1;
  return static_cast<uint32_t>(std::max<int64_t>(1, std::min<int64_t>(fitting, m_cap)));
}

int32_t CTqcBulkWalkSession::exchange_bulk(const ITqsVarBindList *leading, const ITqsVarBindList *asked,
                                           uint32_t repetitions, TqcOwned<ITqsPdu> *answer) {
  int32_t rc = QMR_OK;
  TqcOwned<ITqsPdu> bulk(tqs_create_pdu(&rc));
  if (!bulk) return rc;
  TqcOwned<ITqsVarBindList> names(leading->clone(&rc));
  if (!names) return rc;
  for (uint32_t i = 0; asked != nullptr && i < asked->count(); ++i)
    if ((rc = append_name(names.get(), asked->get_at(i)->get_name())) != QMR_OK) return rc;
  if ((rc = bulk->set_var_bind_list(names.get())) != QMR_OK) return rc;
  names.release();
  bulk->set_type(kTqsGetBulkRequest);
  bulk->set_error_status(static_cast<int32_t>(leading->count()));
  bulk->set_error_index(repetitions);
  if ((rc = m_pInner->send_sync(bulk.get(), m_pTarget)) != QMR_OK) return rc;
  *answer = std::move(bulk);
  return QMR_OK;
}

int32_t CTqcBulkWalkSession::first_walk(ITqsVarBindList *out) const {
  uint32_t chosen = 0;
  for (const CTqcBulkShare::Planned &p : m_pShare->planned) {
    if (p.walk == 0 || (chosen != 0 && p.walk != chosen)) continue;
    Found f{};
    if (p.started || find(p.next.get(), &f)) {
      if (chosen != 0) return out->truncate(0);  // a column of it is known: none rides along
      continue;
    }
    chosen = p.walk;
    const int32_t rc = append_name(out, p.next.get());
    if (rc != QMR_OK) return rc;
  }
  return QMR_OK;
}

int32_t CTqcBulkWalkSession::fetch(const ITqsVarBindList *leading, const ITqsVarBindList *asked, bool share_rows) {
  int32_t rc = QMR_OK;
  TqcOwned<ITqsVarBindList> first(tqs_create_var_bind_list(&rc));
  if (!first) return rc;
  if ((rc = non_repeaters(leading, asked, first.get())) != QMR_OK) return rc;
  const uint32_t count = asked != nullptr ? asked->count() : 0;
  for (;;) {
    const uint32_t repetitions = repetitions_for(first.get(), asked);
    TqcOwned<ITqsPdu> answer;
    rc = exchange_bulk(first.get(), asked, repetitions, &answer);
    // The community session reports tooBig as a code, the SNMPv3 session as
    // the answer's error-status.
    if (rc == QMR_OK && answer->get_error_status() == kErrorTooBig) rc = QMR_E_TOO_BIG;
    if (rc == QMR_E_TOO_BIG || rc == QMR_E_DECODE) {
      // The answer did not fit (or arrived cut): fewer rows, else row by row.
      if (repetitions <= 1) return kAskRowByRow;
      m_cap = repetitions / 2;
      continue;
    }
    if (rc == QMR_E_MESSAGE_SIZE || rc == QMR_E_CANNOT_SPLIT) return kAskRowByRow;
    if (rc != QMR_OK) return rc;
    // An error-status cannot be placed on one row, and an answer without
    // one whole repetition says nothing of the later columns: the row-by-
    // row request finds out what the agent says, and so does every later
    // one of this walk, so that such an agent costs no extra exchanges.
    const ITqsVarBindList *cells = answer->get_var_bind_list();
    if (answer->get_error_status() != 0 || cells == nullptr || cells->count() < first->count() + count) {
      m_rowByRow = true;
      return kAskRowByRow;
    }
    return keep_chains(first.get(), asked, answer.get(), share_rows);
  }
}

int32_t CTqcBulkWalkSession::keep_chains(const ITqsVarBindList *leading, const ITqsVarBindList *asked,
                                         ITqsPdu *answer, bool share_rows) {
  int32_t rc = QMR_OK;
  // The non-repeaters' answers come first, one each; they are kept for
  // the later reads of the call.
  for (uint32_t i = 0; i < leading->count(); ++i) {
    Chain chain;
    chain.start.reset(leading->get_at(i)->get_name()->clone_oid(&rc));
    if (!chain.start) return rc;
    chain.cells.emplace_back(answer->take_first_var_bind());
    chain.settle();
    m_pShare->kept.push_back(std::move(chain));
  }
  const uint32_t count = asked != nullptr ? asked->count() : 0;
  m_chains.clear();
  if (count == 0) return QMR_OK;
  m_chains.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    m_chains[i].start.reset(asked->get_at(i)->get_name()->clone_oid(&rc));
    if (!m_chains[i].start) return rc;
  }
  // Repetition r of the column at position i is cell r * count + i.
  for (uint32_t position = 0; ITqsVarBind *cell = answer->take_first_var_bind(); ++position)
    m_chains[position % count].cells.emplace_back(cell);
  for (uint32_t i = 0; i < count; ++i) {
    Chain &chain = m_chains[i];
    chain.settle();
    for (size_t c = 0; c < chain.rising; ++c) m_cellSizes[i] = std::max(m_cellSizes[i], cell_size(chain.cells[c].get()));
  }
  if (share_rows) {
    for (Chain &chain : m_chains) m_pShare->kept.push_back(std::move(chain));
    m_chains.clear();
  }
  return QMR_OK;
}

}  // namespace

ITqcBulkShare *tqc_create_bulk_share(int32_t *result) {
  ITqcBulkShare *share = new (std::nothrow) CTqcBulkShare();
  if (result != nullptr) *result = share != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  return share;
}

ITqsSnmpSession *tqc_create_bulk_walk_session(ITqsSnmpSession *inner, ITqsSnmpTarget *bulk_target, int32_t *result,
                                              ITqcBulkShare *share) {
  ITqsSnmpSession *session = nullptr;
  int32_t rc = QMR_E_INVALID_ARG;
  if (inner != nullptr && bulk_target != nullptr) {
    // The only kind of share there is.
    session = new (std::nothrow) CTqcBulkWalkSession(inner, bulk_target, static_cast<CTqcBulkShare *>(share));
    rc = session != nullptr ? QMR_OK : QMR_E_NO_MEMORY;
  }
  if (result != nullptr) *result = rc;
  return session;
}
