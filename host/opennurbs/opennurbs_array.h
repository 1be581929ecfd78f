#pragma once
// Dynamic arrays.
//
// ON_SimpleArray<T> holds plain values or pointers in one contiguous block.
// An array of pointers never deletes what it points to: the holder owns the
// pointees. Growing moves the values (they must be movable); Array() gives
// the block for flat access.
//
// ON_ClassArray<T> holds values with constructors, each in its own
// allocation that never moves while the entry exists: growing the array
// only relocates the table of entry pointers, so an entry that owns memory
// is never duplicated or copy-constructed by the array itself, and
// references to entries stay valid until that entry is removed.
//
// Indexing out of range is a caller error (checked by assert in debug
// builds); every other operation accepts any input without crashing.

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

template <class T> class ON_SimpleArray {
public:
  ON_SimpleArray() = default;
  explicit ON_SimpleArray(int initial_capacity) { Reserve(initial_capacity); }
  ON_SimpleArray(const ON_SimpleArray& src) { *this = src; }
  ON_SimpleArray(ON_SimpleArray&& src) noexcept { Swap(src); }
  ~ON_SimpleArray() { Destroy(); }

  ON_SimpleArray& operator=(const ON_SimpleArray& src) {
    if (this == &src) return *this;
    Empty();
    Reserve(src.m_count);
    for (int i = 0; i < src.m_count; ++i)
      new (m_a + i) T(src.m_a[i]);
    m_count = src.m_count;
    return *this;
  }
  ON_SimpleArray& operator=(ON_SimpleArray&& src) noexcept {
    if (this != &src) {
      Destroy();
      Swap(src);
    }
    return *this;
  }

  int Count() const { return m_count; }
  unsigned int UnsignedCount() const { return static_cast<unsigned int>(m_count); }
  int Capacity() const { return m_capacity; }
  unsigned int SizeOfArray() const { return static_cast<unsigned int>(m_capacity * sizeof(T)); }

  T& operator[](int i) {
    assert(i >= 0 && i < m_count);
    return m_a[i];
  }
  const T& operator[](int i) const {
    assert(i >= 0 && i < m_count);
    return m_a[i];
  }

  // Block of Count() values; null while the array has no storage.
  T* Array() { return m_a; }
  const T* Array() const { return m_a; }
  // Pointer to entry i, or null when i is out of range.
  T* At(int i) { return (i >= 0 && i < m_count) ? m_a + i : nullptr; }
  const T* At(int i) const { return (i >= 0 && i < m_count) ? m_a + i : nullptr; }
  // First / last entry, or null when empty.
  T* First() { return m_count > 0 ? m_a : nullptr; }
  const T* First() const { return m_count > 0 ? m_a : nullptr; }
  T* Last() { return m_count > 0 ? m_a + (m_count - 1) : nullptr; }
  const T* Last() const { return m_count > 0 ? m_a + (m_count - 1) : nullptr; }

  T* begin() { return m_a; }
  T* end() { return m_a + m_count; }
  const T* begin() const { return m_a; }
  const T* end() const { return m_a + m_count; }

  void Append(const T& x) {
    if (m_count == m_capacity) {
      const T copy(x); // x may live inside this array
      Grow(m_count + 1);
      new (m_a + m_count) T(copy);
    } else {
      new (m_a + m_count) T(x);
    }
    ++m_count;
  }
  void Append(int count, const T* p) {
    if (count <= 0 || p == nullptr) return;
    if (p >= m_a && p < m_a + m_capacity) { // appending from ourselves
      ON_SimpleArray<T> tmp;
      tmp.Append(count, p);
      Append(tmp.Count(), tmp.Array());
      return;
    }
    Reserve(m_count + count);
    for (int i = 0; i < count; ++i)
      new (m_a + m_count + i) T(p[i]);
    m_count += count;
  }
  // Appends a value-initialised entry (zero for numbers and pointers).
  T& AppendNew() {
    Grow(m_count + 1);
    new (m_a + m_count) T();
    return m_a[m_count++];
  }
  // Inserts x before index i (0 <= i <= Count()); other indices are ignored.
  void Insert(int i, const T& x) {
    if (i < 0 || i > m_count) return;
    const T copy(x);
    Grow(m_count + 1);
    new (m_a + m_count) T();
    for (int j = m_count; j > i; --j)
      m_a[j] = std::move(m_a[j - 1]);
    m_a[i] = copy;
    ++m_count;
  }
  // Removes the last entry.
  void Remove() { Remove(m_count - 1); }
  // Removes entry i and closes the gap; the others keep their order.
  void Remove(int i) {
    if (i < 0 || i >= m_count) return;
    for (int j = i; j + 1 < m_count; ++j)
      m_a[j] = std::move(m_a[j + 1]);
    --m_count;
    m_a[m_count].~T();
  }

  // Index of the first entry equal to x, or -1.
  int Search(const T& x) const {
    for (int i = 0; i < m_count; ++i)
      if (m_a[i] == x) return i;
    return -1;
  }
  // Index of the first entry that compar reports equal (0) to *key, or -1.
  int Search(const T* key, int (*compar)(const T*, const T*)) const {
    if (key == nullptr || compar == nullptr) return -1;
    for (int i = 0; i < m_count; ++i)
      if (compar(key, m_a + i) == 0) return i;
    return -1;
  }
  // Sorts with a three-way comparison (negative, 0, positive).
  bool QuickSort(int (*compar)(const T*, const T*)) {
    if (compar == nullptr) return false;
    std::sort(begin(), end(), [compar](const T& a, const T& b) { return compar(&a, &b) < 0; });
    return true;
  }
  void Reverse() { std::reverse(begin(), end()); }

  // Count 0, storage kept.
  void Empty() { SetCount(0); }
  // Count 0, storage released.
  void Destroy() { SetCapacity(0); }

  // Changes the count within [0, capacity growing as needed]; new entries
  // are value-initialised.
  void SetCount(int count) {
    if (count < 0) count = 0;
    if (count > m_capacity) Reserve(count);
    for (int i = m_count; i < count; ++i)
      new (m_a + i) T();
    for (int i = count; i < m_count; ++i)
      m_a[i].~T();
    m_count = count;
  }
  // Makes room for at least capacity entries.
  void Reserve(int capacity) {
    if (capacity > m_capacity) SetCapacity(capacity);
  }
  // Sets the capacity exactly; entries beyond it are dropped. 0 releases
  // the storage.
  void SetCapacity(int capacity) {
    if (capacity < 0) capacity = 0;
    if (capacity == m_capacity) return;
    if (capacity < m_count) SetCount(capacity);
    if (capacity == 0) {
      ::operator delete(static_cast<void*>(m_a), std::align_val_t(alignof(T)));
      m_a = nullptr;
      m_capacity = 0;
      return;
    }
    T* a = static_cast<T*>(
        ::operator new(sizeof(T) * static_cast<size_t>(capacity), std::align_val_t(alignof(T))));
    for (int i = 0; i < m_count; ++i) {
      new (a + i) T(std::move(m_a[i]));
      m_a[i].~T();
    }
    if (m_a) ::operator delete(static_cast<void*>(m_a), std::align_val_t(alignof(T)));
    m_a = a;
    m_capacity = capacity;
  }
  // Releases unused capacity.
  void Shrink() { SetCapacity(m_count); }

  void Swap(ON_SimpleArray& other) noexcept {
    std::swap(m_a, other.m_a);
    std::swap(m_count, other.m_count);
    std::swap(m_capacity, other.m_capacity);
  }

private:
  void Grow(int needed) {
    if (needed <= m_capacity) return;
    int cap = m_capacity < 4 ? 4 : m_capacity + m_capacity / 2;
    if (cap < needed) cap = needed;
    SetCapacity(cap);
  }

  T* m_a = nullptr;
  int m_count = 0;
  int m_capacity = 0;
};

template <class T> class ON_ClassArray {
public:
  ON_ClassArray() = default;
  explicit ON_ClassArray(int initial_capacity) { Reserve(initial_capacity); }
  // Copies are entry-by-entry copy constructions; whether that is deep is
  // the entry type's business.
  ON_ClassArray(const ON_ClassArray& src) { *this = src; }
  ON_ClassArray(ON_ClassArray&& src) noexcept { m_p.Swap(src.m_p); }
  ~ON_ClassArray() { Destroy(); }
  ON_ClassArray& operator=(const ON_ClassArray& src) {
    if (this == &src) return *this;
    Empty();
    m_p.Reserve(src.Count());
    for (int i = 0; i < src.Count(); ++i)
      m_p.Append(new T(src[i]));
    return *this;
  }
  ON_ClassArray& operator=(ON_ClassArray&& src) noexcept {
    if (this != &src) {
      Destroy();
      m_p.Swap(src.m_p);
    }
    return *this;
  }

  int Count() const { return m_p.Count(); }
  int Capacity() const { return m_p.Capacity(); }
  T& operator[](int i) { return *m_p[i]; }
  const T& operator[](int i) const { return *m_p[i]; }
  T* At(int i) { return (i >= 0 && i < Count()) ? m_p[i] : nullptr; }
  const T* At(int i) const { return (i >= 0 && i < Count()) ? m_p[i] : nullptr; }
  T* First() { return At(0); }
  const T* First() const { return At(0); }
  T* Last() { return At(Count() - 1); }
  const T* Last() const { return At(Count() - 1); }

  // Builds a default entry in place and returns it.
  T& AppendNew() {
    T* e = new T();
    m_p.Append(e);
    return *e;
  }
  void Append(const T& x) { m_p.Append(new T(x)); }
  // Inserts a copy of x before index i (0 <= i <= Count()).
  void Insert(int i, const T& x) {
    if (i < 0 || i > Count()) return;
    m_p.Insert(i, new T(x));
  }
  // Destroys entry i and closes the gap.
  void Remove(int i) {
    if (i < 0 || i >= Count()) return;
    T* e = m_p[i];
    m_p.Remove(i);
    delete e;
  }
  void Remove() { Remove(Count() - 1); }
  int Search(const T& x) const {
    for (int i = 0; i < Count(); ++i)
      if (*m_p[i] == x) return i;
    return -1;
  }

  // Destroys the entries last first; keeps the table's capacity.
  void Empty() {
    for (int i = Count() - 1; i >= 0; --i) {
      T* e = m_p[i];
      m_p.Remove(i);
      delete e;
    }
  }
  // Destroys the entries last first and releases the table.
  void Destroy() {
    Empty();
    m_p.Destroy();
  }
  void Reserve(int capacity) { m_p.Reserve(capacity); }
  void SetCapacity(int capacity) {
    while (Count() > capacity && Count() > 0)
      Remove(Count() - 1);
    m_p.SetCapacity(capacity);
  }

  class iterator {
  public:
    explicit iterator(T* const* p) : m_it(p) {}
    T& operator*() const { return **m_it; }
    T* operator->() const { return *m_it; }
    iterator& operator++() {
      ++m_it;
      return *this;
    }
    bool operator==(const iterator& o) const { return m_it == o.m_it; }
    bool operator!=(const iterator& o) const { return m_it != o.m_it; }

  private:
    T* const* m_it;
  };
  class const_iterator {
  public:
    explicit const_iterator(T* const* p) : m_it(p) {}
    const T& operator*() const { return **m_it; }
    const T* operator->() const { return *m_it; }
    const_iterator& operator++() {
      ++m_it;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return m_it == o.m_it; }
    bool operator!=(const const_iterator& o) const { return m_it != o.m_it; }

  private:
    T* const* m_it;
  };
  iterator begin() { return iterator(m_p.begin()); }
  iterator end() { return iterator(m_p.end()); }
  const_iterator begin() const { return const_iterator(m_p.begin()); }
  const_iterator end() const { return const_iterator(m_p.end()); }

private:
  ON_SimpleArray<T*> m_p;
};
