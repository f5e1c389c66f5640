// A doubly linked list of owned objects, generic over the element
// interface, and its instances for packets and PDUs.
#ifndef QMR_SNMP_OBJECT_LIST_H
#define QMR_SNMP_OBJECT_LIST_H

#include <cstdint>
#include <new>

#include "qmr.h"

class ITqsPdu;
class ITqsSnmpPacket;

// A position in a list. Removing the element it stands on (by any operation)
// moves it to the next one; once its list is released it stands nowhere.
class ITqsListIterator {
 public:
  virtual void release() = 0;

 protected:
  virtual ~ITqsListIterator() = default;
};

// T must offer release(). Inserting hands the object to the list (no copy);
// removing releases it. Results: 0, -2 null argument, -3 out of memory.
template <class T>
class ITqsObjectList {
 public:
  virtual int32_t insert_front(T *object) = 0;                                   // 0
  virtual int32_t insert_back(T *object) = 0;                                    // 1
  // Nothing to remove: -2.
  virtual int32_t remove_first() = 0;                                            // 2
  virtual int32_t remove_last() = 0;                                             // 3
  virtual int32_t remove_all() = 0;                                              // 4
  virtual uint32_t count() const = 0;                                            // 5
  // A new iterator on the first element (release it after use).
  virtual ITqsListIterator *new_iterator(int32_t *result = nullptr) = 0;        // 6
  virtual int32_t reset_iterator(ITqsListIterator *iterator) = 0;               // 7
  // Releases an object that is not (or no longer) in the list.
  virtual void release_element(T *object) = 0;                                  // 8
  // The element at the iterator (lent), null at the end.
  virtual T *element_at(const ITqsListIterator *iterator) const = 0;            // 9
  virtual int32_t step(ITqsListIterator *iterator) = 0;                         // 10
  // Releases the element at the iterator, which moves to the next one.
  virtual int32_t remove_at(ITqsListIterator *iterator) = 0;                    // 11
  virtual ITqsObjectList<T> *list() = 0;                                        // 12
  virtual void release() = 0;                                                   // 13

 protected:
  virtual ~ITqsObjectList() = default;
};

// The one implementation, in a header so that each layer can instantiate
// it for its own element interface.
template <class T>
class CTqsObjectList final : public ITqsObjectList<T> {
 public:
  static CTqsObjectList *create(int32_t *result = nullptr) {
    CTqsObjectList *list = new (std::nothrow) CTqsObjectList();
    if (result) *result = list ? QMR_OK : QMR_E_NO_MEMORY;
    return list;
  }
  CTqsObjectList(const CTqsObjectList &) = delete;
  CTqsObjectList &operator=(const CTqsObjectList &) = delete;

  int32_t insert_front(T *object) override { return insert_after(&m_sentinel, object); }
  int32_t insert_back(T *object) override { return insert_after(m_sentinel.prev, object); }
  int32_t remove_first() override {
    if (m_count == 0) return QMR_E_INVALID_ARG;
    unlink(m_sentinel.next);
    return QMR_OK;
  }
  int32_t remove_last() override {
    if (m_count == 0) return QMR_E_INVALID_ARG;
    unlink(m_sentinel.prev);
    return QMR_OK;
  }
  int32_t remove_all() override {
    while (m_count != 0) unlink(m_sentinel.next);
    return QMR_OK;
  }
  uint32_t count() const override { return m_count; }
  ITqsListIterator *new_iterator(int32_t *result = nullptr) override {
    Iterator *it = new (std::nothrow) Iterator(this, m_sentinel.next);
    if (result) *result = it ? QMR_OK : QMR_E_NO_MEMORY;
    return it;
  }
  int32_t reset_iterator(ITqsListIterator *iterator) override {
    Iterator *it = own(iterator);
    if (!it) return QMR_E_INVALID_ARG;
    it->node = m_sentinel.next;
    return QMR_OK;
  }
  void release_element(T *object) override {
    if (object) object->release();
  }
  T *element_at(const ITqsListIterator *iterator) const override {
    const Iterator *it = own(iterator);
    return (it && it->node != &m_sentinel) ? it->node->object : nullptr;
  }
  int32_t step(ITqsListIterator *iterator) override {
    Iterator *it = own(iterator);
    if (!it) return QMR_E_INVALID_ARG;
    if (it->node != &m_sentinel) it->node = it->node->next;
    return QMR_OK;
  }
  int32_t remove_at(ITqsListIterator *iterator) override {
    Iterator *it = own(iterator);
    if (!it || it->node == &m_sentinel) return QMR_E_INVALID_ARG;
    unlink(it->node);  // moves every iterator on it, this one included
    return QMR_OK;
  }
  ITqsObjectList<T> *list() override { return this; }
  void release() override { delete this; }

 private:
  struct Node {
    Node *prev;
    Node *next;
    T *object;
  };
  // Iterators are chained to their list so that removals can move them on.
  struct Iterator final : ITqsListIterator {
    Iterator(CTqsObjectList *owner_list, Node *start) : owner(owner_list), node(start) {
      next = owner->m_pIterators;
      if (next) next->prev = this;
      owner->m_pIterators = this;
    }
    void release() override {
      if (owner) {
        if (prev) prev->next = next;
        else owner->m_pIterators = next;
        if (next) next->prev = prev;
      }
      delete this;
    }
    CTqsObjectList *owner;
    Node *node;
    Iterator *prev = nullptr;
    Iterator *next = nullptr;
  };

  CTqsObjectList() { m_sentinel.prev = m_sentinel.next = &m_sentinel; }
  ~CTqsObjectList() override {
    remove_all();
    for (Iterator *it = m_pIterators; it; it = it->next) it->owner = nullptr;
  }

  // Iterators of another list are refused rather than followed.
  Iterator *own(ITqsListIterator *iterator) const {
    Iterator *it = dynamic_cast<Iterator *>(iterator);
    return (it && it->owner == this) ? it : nullptr;
  }
  const Iterator *own(const ITqsListIterator *iterator) const {
    const Iterator *it = dynamic_cast<const Iterator *>(iterator);
    return (it && it->owner == this) ? it : nullptr;
  }
  int32_t insert_after(Node *where, T *object) {
    if (!object) return QMR_E_INVALID_ARG;
    Node *node = new (std::nothrow) Node{where, where->next, object};
    if (!node) return QMR_E_NO_MEMORY;
    where->next->prev = node;
    where->next = node;
    ++m_count;
    return QMR_OK;
  }
  void unlink(Node *node) {
    for (Iterator *it = m_pIterators; it; it = it->next) {
      if (it->node == node) it->node = node->next;
    }
    node->prev->next = node->next;
    node->next->prev = node->prev;
    --m_count;
    if (node->object) node->object->release();
    delete node;
  }

  Node m_sentinel{nullptr, nullptr, nullptr};
  uint32_t m_count = 0;
  Iterator *m_pIterators = nullptr;
};

// Received packets of a broadcast.
using ITqsSnmpPacketList = ITqsObjectList<ITqsSnmpPacket>;
// PDU fragments of a split request, and rows read by the printer readers.
using ITqsPduList = ITqsObjectList<ITqsPdu>;

ITqsSnmpPacketList *tqs_create_packet_list(int32_t *result = nullptr);
ITqsPduList *tqs_create_pdu_list(int32_t *result = nullptr);

#endif  // QMR_SNMP_OBJECT_LIST_H
