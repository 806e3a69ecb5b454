#pragma once

#include <cstdint>
#include <cstring>

// The node of the doubly linked lists of installed copies, products,
// instances and product-code texts. The node's list owns the element.
template <class T>
struct INODE {
  T* data = nullptr;
  INODE* next = nullptr;
  INODE* prev = nullptr;

  explicit INODE(T* element) : data(element) {}
  // A copied node would delete its element a second time, so there is none;
  // the assignment copies the three fields, as the lists' callers expect, and
  // leaves owning the element to the list.
  INODE(const INODE&) = delete;
  INODE& operator=(const INODE&) = default;
  // Deletes the element through its virtual destructor; the lists unlink and
  // release their nodes themselves.
  ~INODE() { delete data; }
};

template <>
inline INODE<char>::~INODE() {
  delete[] data;
}

// Links node after tail; the first node of an empty chain becomes its head,
// cursor and tail. Shared by every chain of nodes.
template <class T>
void linkAtTail(INODE<T>* node, INODE<T>*& head, INODE<T>*& cursor, INODE<T>*& tail,
                uint32_t& count) {
  if (head == nullptr) {
    head = cursor = tail = node;
  } else {
    node->prev = tail;
    tail->next = node;
    tail = node;
  }
  ++count;
}

// A chain of product-code texts (39 bytes each, a GUID in braces and its
// terminator), appended at the tail, owned by the list.
class GuidTextList {
 public:
  static constexpr std::size_t kTextSize = 39;

  GuidTextList() = default;
  GuidTextList(const GuidTextList&) = delete;
  GuidTextList& operator=(const GuidTextList&) = delete;
  ~GuidTextList() { clear(); }

  // Appends a copy of text, cut to 38 characters (the field holds a product
  // code in braces).
  void append(const char* text) {
    char* copy = new char[kTextSize]();
    if (text != nullptr) std::memcpy(copy, text, strnlen(text, kTextSize - 1));
    linkAtTail(new INODE<char>(copy), head, cursor, tail, count);
  }

  void clear() {
    while (head != nullptr) {
      INODE<char>* node = head;
      head = node->next;
      delete node;
    }
    cursor = tail = nullptr;
    count = 0;
  }

  INODE<char>* head = nullptr;
  INODE<char>* cursor = nullptr;
  INODE<char>* tail = nullptr;
  uint32_t count = 0;
};
