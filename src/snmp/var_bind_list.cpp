#include "snmp/var_bind_list.h"

#include <new>
#include <vector>

#include "net/owned.h"
#include "qmr.h"
#include "snmp/snmp_types.h"
#include "snmp/value_base.h"
#include "snmp/var_bind.h"

namespace {

class CTqsVarBindList final : public ITqsVarBindList {
 public:
  CTqsVarBindList() = default;
  CTqsVarBindList(const CTqsVarBindList &) = delete;
  CTqsVarBindList &operator=(const CTqsVarBindList &) = delete;

  void release() override { delete this; }

  ITqsVarBindList *clone(int32_t *result) const override {
    return copy_range_of(0, static_cast<uint32_t>(m_items.size()), result);
  }

  bool equals(const ITqsVarBindList *other) const override {
    if (!other || other->count() != m_items.size()) return false;
    for (uint32_t i = 0; i < m_items.size(); ++i) {
      if (!m_items[i]->equals(other->get_at(i))) return false;
    }
    return true;
  }

  uint32_t count() const override { return static_cast<uint32_t>(m_items.size()); }

  int32_t append_new(ITqsOid *name, ITqsSnmpValue *value) override { return add_new(m_items.size(), name, value); }
  int32_t append(ITqsVarBind *var_bind) override { return add(m_items.size(), var_bind); }
  int32_t insert_new_front(ITqsOid *name, ITqsSnmpValue *value) override { return add_new(0, name, value); }
  int32_t insert_front(ITqsVarBind *var_bind) override { return add(0, var_bind); }

  int32_t remove_at(uint32_t index, ITqsVarBind **out) override {
    if (index >= m_items.size()) return QMR_E_INVALID_ARG;
    ITqsVarBind *var_bind = m_items[index];
    m_items.erase(m_items.begin() + index);
    if (out) {
      *out = var_bind;
    } else {
      var_bind->release();
    }
    return QMR_OK;
  }

  int32_t take_first_name_value(ITqsOid **name, ITqsSnmpValue **value) override {
    ITqsVarBind *first = take_first();
    if (!first) return QMR_E_INVALID_ARG;
    first->take(name, value);
    first->release();
    return QMR_OK;
  }

  ITqsVarBind *take_first() override {
    ITqsVarBind *first = nullptr;
    return remove_at(0, &first) == QMR_OK ? first : nullptr;
  }

  ITqsVarBind *get_at(uint32_t index) const override { return index < m_items.size() ? m_items[index] : nullptr; }

  ITqsVarBindList *copy_range(uint32_t start, uint32_t count, int32_t *result) const override {
    if (start >= m_items.size()) {
      tqs_put_result(result, QMR_E_INVALID_ARG);
      return nullptr;
    }
    return copy_range_of(start, count, result);
  }

  ITqsVarBindList *take_front(uint32_t count, int32_t *result) override {
    const size_t n = count < m_items.size() ? count : m_items.size();
    CTqsVarBindList *front = new (std::nothrow) CTqsVarBindList();
    if (!front || !front->make_room(n)) {
      if (front) front->release();
      tqs_put_result(result, QMR_E_NO_MEMORY);
      return nullptr;
    }
    front->m_items.assign(m_items.begin(), m_items.begin() + n);
    m_items.erase(m_items.begin(), m_items.begin() + n);
    tqs_put_result(result, QMR_OK);
    return front;
  }

  int32_t mark_error(int32_t error_status, int64_t error_index) override {
    for (size_t i = 0; i < m_items.size(); ++i) {
      const bool failing = static_cast<int64_t>(i) + 1 == error_index;
      m_items[i]->set_status(failing ? error_status : kTqsStatusNotProcessed);
    }
    return QMR_OK;
  }

  int32_t set_all_status(int32_t status) override {
    for (ITqsVarBind *var_bind : m_items) var_bind->set_status(status);
    return QMR_OK;
  }

  int32_t truncate(uint32_t count) override {
    while (m_items.size() > count) {
      m_items.back()->release();
      m_items.pop_back();
    }
    return QMR_OK;
  }

  int32_t reserve(uint32_t count) override { return make_room(count) ? QMR_OK : QMR_E_NO_MEMORY; }

  ITqsVarBind *const *items() const override { return m_items.data(); }

 private:
  ~CTqsVarBindList() { truncate(0); }

  // Room for one more, growing geometrically.
  bool make_room_for_one() {
    const size_t n = m_items.size();
    return n < m_items.capacity() || make_room(n < 8 ? 8 : 2 * n);
  }

  bool make_room(size_t count) {
    try {
      m_items.reserve(count);
    } catch (const std::bad_alloc &) {
      return false;
    }
    return true;
  }

  ITqsVarBindList *copy_range_of(uint32_t start, uint32_t count, int32_t *result) const {
    const size_t end = (count < m_items.size() - start) ? start + count : m_items.size();
    int32_t rc = QMR_OK;
    TqcOwned<CTqsVarBindList> copy(new (std::nothrow) CTqsVarBindList());
    if (!copy || !copy->make_room(end - start)) rc = QMR_E_NO_MEMORY;
    for (size_t i = start; rc == QMR_OK && i < end; ++i) {
      ITqsVarBind *var_bind = m_items[i]->clone(&rc);
      if (var_bind) copy->m_items.push_back(var_bind);  // within the reserved room
    }
    tqs_put_result(result, rc);
    return rc == QMR_OK ? copy.release() : nullptr;
  }

  // Room first, so that a failure leaves the caller owning what it passed.
  int32_t add(size_t at, ITqsVarBind *var_bind) {
    if (!var_bind) return QMR_E_INVALID_ARG;
    if (!make_room_for_one()) return QMR_E_NO_MEMORY;
    m_items.insert(m_items.begin() + at, var_bind);
    return QMR_OK;
  }

  int32_t add_new(size_t at, ITqsOid *name, ITqsSnmpValue *value) {
    if (!name) return QMR_E_INVALID_ARG;
    if (!make_room_for_one()) return QMR_E_NO_MEMORY;
    int32_t rc = QMR_OK;
    ITqsVarBind *var_bind = tqs_create_var_bind(&rc);
    if (!var_bind) return rc;
    rc = var_bind->set(name, value);
    if (rc != QMR_OK) {
      var_bind->release();
      return rc;
    }
    m_items.insert(m_items.begin() + at, var_bind);
    return QMR_OK;
  }

  std::vector<ITqsVarBind *> m_items;  // owned
};

}  // namespace

ITqsVarBindList *tqs_create_var_bind_list(int32_t *result) {
  ITqsVarBindList *list = new (std::nothrow) CTqsVarBindList();
  tqs_put_result(result, list ? QMR_OK : QMR_E_NO_MEMORY);
  return list;
}
