#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "installed/inode.h"

// The doubly linked chain behind the lists of copies, products and instances.
// The chain owns its elements. `cursor` is the iteration position shared with
// the callers; a search parks it in `savedCursor` while it walks, so a search
// made in the middle of a caller's iteration leaves the iteration where it was.
template <class T>
class InodeChain {
 public:
  InodeChain() = default;
  InodeChain(const InodeChain&) = delete;
  InodeChain& operator=(const InodeChain&) = delete;
  ~InodeChain() { clear(); }

  // The head's element, or null for an empty chain.
  T* First() {
    cursor = head;
    return cursor != nullptr ? cursor->data : nullptr;
  }

  // The element after the cursor; after the last one null, and after that the
  // head again.
  T* Next() {
    cursor = cursor != nullptr ? cursor->next : head;
    return cursor != nullptr ? cursor->data : nullptr;
  }

  // Links the element after the tail. False when no node could be allocated;
  // the element is then released.
  bool append(std::unique_ptr<T> element) {
    auto* node = new (std::nothrow) INODE<T>(element.get());
    if (node == nullptr) return false;
    element.release();
    linkAtTail(node, head, cursor, tail, count);
    return true;
  }

  // The first element for which matches(element) holds, or null. The caller's
  // cursor is restored on return.
  template <class Predicate>
  T* search(Predicate matches) {
    savedCursor = cursor;
    T* found = nullptr;
    for (cursor = head; cursor != nullptr; cursor = cursor->next) {
      if (matches(cursor->data)) {
        found = cursor->data;
        break;
      }
    }
    cursor = savedCursor;
    return found;
  }

  // Releases the elements from the head on.
  void clear() {
    while (head != nullptr) {
      INODE<T>* node = head;
      head = node->next;
      if (head != nullptr) head->prev = nullptr;
      node->next = nullptr;
      delete node;  // deletes the element through its virtual destructor
      --count;
    }
    cursor = tail = savedCursor = nullptr;
  }

  INODE<T>* head = nullptr;
  INODE<T>* cursor = nullptr;
  INODE<T>* tail = nullptr;
  INODE<T>* savedCursor = nullptr;
  uint32_t count = 0;
};
