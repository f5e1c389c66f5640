#include "session/table_walk.h"

#include <vector>

#include "net/owned.h"
#include "qmr.h"
#include "session/oid_order.h"
#include "snmp/snmp_session.h"
#include "snmp/oid.h"
#include "snmp/pdu.h"
#include "snmp/var_bind.h"
#include "snmp/var_bind_list.h"

namespace {

constexpr int32_t kErrorNoSuchName = 2;

// True when `oid` lies strictly inside the subtree of `prefix`.
bool strictly_below(const ITqsOid *oid, const ITqsOid *prefix) {
  uint32_t n = 0, np = 0;
  const uint32_t *p = tqc_oid_ids(oid, &n);
  const uint32_t *pp = tqc_oid_ids(prefix, &np);
  if (n <= np) return false;
  for (uint32_t i = 0; i < np; ++i) {
    if (p[i] != pp[i]) return false;
  }
  return true;
}

// Columns of one table share their entry OID and differ in the last
// sub-identifier only.
bool same_entry(const ITqsOid *a, const ITqsOid *b) {
  uint32_t na = 0, nb = 0;
  const uint32_t *pa = tqc_oid_ids(a, &na);
  const uint32_t *pb = tqc_oid_ids(b, &nb);
  if (na != nb || na < 2) return false;
  for (uint32_t i = 0; i + 1 < na; ++i) {
    if (pa[i] != pb[i]) return false;
  }
  return true;
}

// True when `oid` is `column` followed by exactly `index`.
bool has_index(const ITqsOid *oid, const ITqsOid *column, const std::vector<uint32_t> &index) {
  uint32_t n = 0, nc = 0;
  const uint32_t *p = tqc_oid_ids(oid, &n);
  tqc_oid_ids(column, &nc);
  if (n != nc + index.size()) return false;
  for (size_t i = 0; i < index.size(); ++i) {
    if (p[nc + i] != index[i]) return false;
  }
  return true;
}

// `column` followed by `index` (an empty index gives the column itself).
ITqsOid *column_with_index(const ITqsOid *column, const std::vector<uint32_t> &index, int32_t *result) {
  ITqsOid *oid = column->clone_oid(result);
  if (oid == nullptr) return nullptr;
  for (uint32_t id : index) {
    const int32_t rc = oid->append_sub_identifier(id);
    if (rc != QMR_OK) {
      oid->release();
      *result = rc;
      return nullptr;
    }
  }
  *result = QMR_OK;
  return oid;
}

struct Column {
  TqcOwned<ITqsOid> oid;
  TqcOwned<ITqsOid> next;  // what the next request asks for
  bool sameTable = false;  // same entry as the first column
  bool exhausted = false;  // the agent said noSuchName for it
};

class TableWalk {
 public:
  TableWalk(ITqsSnmpSession *session, ITqsPdu *pdu, ITqsSnmpTarget *target, const ITqsOid *root)
      : m_pSession(session), m_pPdu(pdu), m_pTarget(target), m_pRoot(root) {}

  int32_t run(ITqsPduList *rows);

 private:
  int32_t take_columns();
  int32_t build_request();
  // After an error-status: true when it only marked a column exhausted.
  bool exhaust_column(int64_t error_index);
  // Ends (false) when the first column left the walk.
  bool first_column_continues(const ITqsVarBind *first) const;
  int32_t make_row(ITqsPdu **row);
  int32_t empty_cell(const Column &column, ITqsVarBindList *row);

  ITqsSnmpSession *m_pSession;
  ITqsPdu *m_pPdu;
  ITqsSnmpTarget *m_pTarget;
  const ITqsOid *m_pRoot;
  std::vector<Column> m_columns;
  std::vector<uint32_t> m_index;  // the current row's index in the first column
  uint32_t m_asked = 0;           // varbinds in the current request
};

int32_t TableWalk::take_columns() {
  ITqsVarBindList *list = m_pPdu->get_var_bind_list();
  const uint32_t count = list != nullptr ? list->count() : 0;
  if (count == 0) return QMR_E_OUT_OF_RANGE;
  for (uint32_t i = 0; i < count; ++i) {
    if (list->get_at(i)->get_name() == nullptr) return QMR_E_INVALID_ARG;
  }
  m_columns.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    // The column keeps the given name itself: the first request replaces
    // the given varbinds anyway.
    ITqsOid *name = nullptr;
    list->get_at(i)->take(&name, nullptr);
    m_columns[i].oid.reset(name);
    int32_t rc = QMR_OK;
    m_columns[i].next.reset(name->clone_oid(&rc));
    if (!m_columns[i].next) return rc;
    m_columns[i].sameTable = i > 0 && same_entry(name, m_columns[0].oid.get());
  }
  return QMR_OK;
}

int32_t TableWalk::build_request() {
  int32_t rc = QMR_OK;
  // The PDU's own list is emptied and refilled: the answer's cells have
  // moved to the rows, and what is left (the columns as given, or an
  // error answer) is dropped as a new list would drop it.
  ITqsVarBindList *list = m_pPdu->get_var_bind_list();
  if (list == nullptr) {
    TqcOwned<ITqsVarBindList> made(tqs_create_var_bind_list(&rc));
    if (!made) return rc;
    if ((rc = m_pPdu->set_var_bind_list(made.get())) != QMR_OK) return rc;
    list = made.release();
  } else if ((rc = list->truncate(0)) != QMR_OK) {
    return rc;
  }
  list->reserve(static_cast<uint32_t>(m_columns.size()));
  m_asked = 0;
  for (const Column &column : m_columns) {
    if (column.exhausted) continue;
    // No value object: the encoder sends an absent value as NULL, and the
    // decoder puts the answer's value in place, so a NULL made here would
    // only be freed again.
    TqcOwned<ITqsVarBind> var_bind(tqs_create_var_bind(&rc));
    if (!var_bind) return rc;
    ITqsOid *name = column.next->clone_oid(&rc);
    if (name == nullptr) return rc;
    if ((rc = var_bind->set_name(name)) != QMR_OK) {
      name->release();
      return rc;
    }
    if ((rc = list->append(var_bind.get())) != QMR_OK) return rc;
    var_bind.release();
    ++m_asked;
  }
  m_pPdu->set_type(kTqsGetNextRequest);
  m_pPdu->set_error_status(0);
  m_pPdu->set_error_index(0);
  return QMR_OK;
}

bool TableWalk::exhaust_column(int64_t error_index) {
  if (m_pPdu->get_error_status() != kErrorNoSuchName || error_index < 2 || error_index > m_asked) return false;
  // error_index counts the asked (not yet exhausted) columns, from 1.
  int64_t position = 0;
  for (size_t i = 0; i < m_columns.size(); ++i) {
    if (m_columns[i].exhausted) continue;
    if (++position == error_index) {
      m_columns[i].exhausted = true;
      return true;
    }
  }
  return false;
}

bool TableWalk::first_column_continues(const ITqsVarBind *first) const {
  const ITqsOid *name = first->get_name();
  const ITqsOid *column = m_columns[0].oid.get();
  return name != nullptr && !tqc_is_exception_value(first->get_value()) && strictly_below(name, m_pRoot) &&
         strictly_below(name, column) && tqc_compare_oid_numeric(name, m_columns[0].next.get()) > 0;
}

int32_t TableWalk::empty_cell(const Column &column, ITqsVarBindList *row) {
  static const std::vector<uint32_t> kNoIndex;
  int32_t rc = QMR_OK;
  ITqsOid *name = column_with_index(column.oid.get(), column.sameTable ? m_index : kNoIndex, &rc);
  if (name == nullptr) return rc;
  rc = row->append_new(name, nullptr);
  if (rc != QMR_OK) name->release();
  return rc;
}

int32_t TableWalk::make_row(ITqsPdu **out) {
  int32_t rc = QMR_OK;
  TqcOwned<ITqsPdu> row(tqs_create_pdu(&rc));
  if (!row) return rc;
  if ((rc = row->copy_header(m_pPdu)) != QMR_OK) return rc;
  TqcOwned<ITqsVarBindList> cells(tqs_create_var_bind_list(&rc));
  if (!cells) return rc;
  cells->reserve(static_cast<uint32_t>(m_columns.size()));

  ITqsVarBindList *response = m_pPdu->get_var_bind_list();
  for (size_t i = 0; i < m_columns.size(); ++i) {
    Column &column = m_columns[i];
    if (column.exhausted) {
      if ((rc = empty_cell(column, cells.get())) != QMR_OK) return rc;
      continue;
    }
    TqcOwned<ITqsVarBind> cell(response->take_first());
    const ITqsOid *name = cell->get_name();
    bool keep = i == 0;
    if (!keep) {
      keep = name != nullptr && !tqc_is_exception_value(cell->get_value()) && strictly_below(name, column.oid.get()) &&
             tqc_compare_oid_numeric(name, column.next.get()) > 0 &&
             (!column.sameTable || has_index(name, column.oid.get(), m_index));
    }
    if (keep) {
      // The next request goes on from this cell (copied into the OID the
      // column already holds).
      if ((rc = column.next->assign(name)) != QMR_OK) return rc;
      if ((rc = cells->append(cell.get())) != QMR_OK) return rc;
      cell.release();
      continue;
    }
    // No cell for this row: the answer lies in another column, row or table.
    if ((rc = empty_cell(column, cells.get())) != QMR_OK) return rc;
    if (column.sameTable) {
      ITqsOid *next = column_with_index(column.oid.get(), m_index, &rc);
      if (next == nullptr) return rc;
      column.next.reset(next);
    }
    // Otherwise the column asks again for what it asked last.
  }
  if ((rc = row->set_var_bind_list(cells.get())) != QMR_OK) return rc;
  cells.release();
  *out = row.release();
  return QMR_OK;
}

int32_t TableWalk::run(ITqsPduList *rows) {
  int32_t rc = take_columns();
  if (rc != QMR_OK) return rc;
  uint32_t collected = 0;
  // Each pass either adds a row or exhausts a column, so this bounds the walk.
  const size_t max_passes = kTqcMaxWalkRows + m_columns.size();
  for (size_t pass = 0; pass < max_passes && collected < kTqcMaxWalkRows; ++pass) {
    if ((rc = build_request()) != QMR_OK) return rc;
    if ((rc = m_pSession->send_sync(m_pPdu, m_pTarget)) != QMR_OK) return rc;
    if (m_pPdu->get_error_status() != 0) {
      if (exhaust_column(m_pPdu->get_error_index())) continue;
      return QMR_OK;  // a v1 agent's end of data, or a refusal
    }
    ITqsVarBindList *response = m_pPdu->get_var_bind_list();
    if (response == nullptr || response->count() != m_asked) return QMR_E_OUT_OF_RANGE;
    const ITqsVarBind *first = response->get_at(0);
    if (!first_column_continues(first)) return QMR_OK;

    uint32_t count = 0;
    const uint32_t *ids = tqc_oid_ids(first->get_name(), &count);
    const uint32_t column_length = m_columns[0].oid->length();
    m_index.assign(ids + column_length, ids + count);

    ITqsPdu *row = nullptr;
    if ((rc = make_row(&row)) != QMR_OK) return rc;
    if ((rc = rows->insert_back(row)) != QMR_OK) {
      row->release();
      return rc;
    }
    ++collected;
  }
  return QMR_OK;
}

}  // namespace

int32_t tqc_walk_table(ITqsSnmpSession *session, ITqsPdu *pdu, ITqsSnmpTarget *target, const ITqsOid *root,
                       ITqsPduList *rows) {
  if (session == nullptr || pdu == nullptr || target == nullptr || root == nullptr || rows == nullptr)
    return QMR_E_INVALID_ARG;
  TableWalk walk(session, pdu, target, root);
  return walk.run(rows);
}
