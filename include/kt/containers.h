/// @file
/// Region-allocated containers of libkt_util: bit sets, typed arrays with
/// slot reuse, the integer stack (kt/region.h), ring-buffer queues and item
/// banks. Hash tables and the string table are in kt/containers_hash.h, lists,
/// trees and graphs in kt/containers_list.h.
///
/// Every container takes its storage from the PWSRegion given at construction
/// (the process heap's region when none is given), so the containers of one
/// job can be dropped together with their region. Failures never throw: they
/// show as -1 or null results and as a sticky no-store flag (nostore()).
#ifndef KT_CONTAINERS_H
#define KT_CONTAINERS_H

#include "kt/abi.h"

/* ---- bit sets ----------------------------------------------------------
 *
 * A set of nbits bits in (nbits + 31) / 32 unsigned words; bit i is bit
 * i % 32 of word i / 32. The functions that address one bit do no range
 * check: i must lie in 0 .. nbits - 1. These compile as C too. */
KT_BEGIN_C
/** Clears every bit. */
KT_API void bst_empty(unsigned *set, int nbits);
/** Copies the words of src to dst (they may overlap). */
KT_API void bst_copy(unsigned *dst, const unsigned *src, int nbits);
/** Sets bit i. */
KT_API void bst_set(unsigned *set, int nbits, int i);
/** Clears bit i. */
KT_API void bst_clr(unsigned *set, int nbits, int i);
/** The bit's own value in its word (not 1) when set, 0 when clear. */
KT_API int bst_test(const unsigned *set, int nbits, int i);
/** 1 when no bit is set (also for a set of no words), else 0. */
KT_API int bst_test_empty(const unsigned *set, int nbits);
KT_END_C

#ifdef __cplusplus

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "kt/region.h"

/// A bit set whose words live in a region. The words start uncleared (use
/// bst_empty); `bits` is null when the region refused them.
class KT_API Bst {
public:
    /// A set of nbits bits in `region` (null: the heap region).
    Bst(int nbits, PWSRegion *region);
    /// Gives the words back to the region.
    ~Bst();
    Bst(const Bst &) = delete;
    Bst &operator=(const Bst &) = delete;

    /// As bst_test, and 0 for a bit outside the set.
    int is_member(int i) const {
        if (!bits || i < 0 || i >= nbits)
            return 0;
        return static_cast<int>(bits[i / 32] & (1u << (i % 32)));
    }
    /// 1 when the region refused the words, else 0.
    int nostore() const { return bits == nullptr && nbits > 0; }
    /// Writes the words in decimal, then the bits as 0 and 1, to standard output.
    void debug() const;

    unsigned *bits;    ///< (nbits + 31) / 32 words, or null
    int nbits;         ///< bits in the set
    PWSRegion *region; ///< region of the words
};

/// Walks the set bits of a Bst in increasing order.
class KT_API Bst_Iterator {
public:
    Bst_Iterator() = default;
    /// Binds to `set` and returns its first set bit (or -1).
    int first(const Bst *set);
    /// The next set bit, or -1 once past the last one (and for good).
    int iterate();

private:
    const Bst *set_ = nullptr;
    int index_ = -1;
};

// ---- typed arrays --------------------------------------------------------
//
// Elements are kept in the cells of an Arr. A removed element's cell joins a
// list of free slots in ascending order (each free cell holds the 1-based
// number of the next free slot, 0 in the last), so `enter` reuses the lowest
// free slot in O(1) and iteration skips free slots in one forward pass.
// `enter` returns 1-based slot numbers; `remove` and operator[] take
// 0-based element indices. Cells in use = size() + free slots.

class Hash_entry;

/// The typed array of elements of type T with slot reuse; Self is the
/// final class (for operator+=). `enter` returns 1-based slot numbers and
/// reuses the lowest free slot; `remove` and operator[] take 0-based
/// indices.
template <class Self, class T> class Arr_slots : public Arr {
public:
    using value_type = T; ///< element type

    /// The element in cell `index` (0-based; no range check).
    T &operator[](int index) { return cells()[index]; }
    /// The element in cell `index` (0-based; no range check).
    const T &operator[](int index) const { return cells()[index]; }

    /// Stores one value, reusing the lowest free slot first; its slot
    /// number, or -1 when the array could not grow.
    int enter(T value) {
        int s = start_empty_;
        if (s == 0) {
            // No free slot: the cells in use are exactly the live ones.
            if (count_ < capacity_)
                ++count_;
            else if (count_ == INT_MAX || size(count_ + 1) < 0)
                return -1;
            cells()[count_ - 1] = value;
            return count_;
        }
        T *c = cells();
        if (s == last_empty_)
            start_empty_ = last_empty_ = 0;
        else
            start_empty_ = link_of(c[s - 1]);
        c[s - 1] = value;
        ++count_;
        return s;
    }

    /// Appends k values; the new count, or -1 when the array could not grow
    /// (nothing changed). Free slots, where there are any, are filled first.
    int enter(const T *values, int k) {
        if (k < 0 || (k > 0 && !values))
            return -1;
        if (k == 0)
            return count_;
        const T *own = cells();
        bool inside = own && values >= own && values < own + capacity_;
        ptrdiff_t offset = inside ? values - own : 0;
        int free_slots = 0;
        for (int s = start_empty_; s != 0 && free_slots < k; s = link_of(cells()[s - 1]))
            ++free_slots;
        int64_t needed = int64_t{count_} + k;
        if (needed > INT_MAX || !reserve(needed))
            return -1;
        if (inside)
            values = cells() + offset; // the storage may have moved
        if (free_slots == 0) {
            std::memmove(cells() + count_, values, static_cast<size_t>(k) * sizeof(T));
            count_ += k;
            return count_;
        }
        for (int j = 0; j < k; ++j)
            enter(values[j]);
        return count_;
    }

    /// Frees the element at `index`. An index outside the storage, or a slot
    /// already free, is ignored.
    void remove(int index) {
        if (index < 0 || index >= capacity_ || count_ <= 0)
            return;
        T *c = cells();
        int s = index + 1;
        if (start_empty_ == 0) {
            start_empty_ = last_empty_ = s;
            c[index] = as_link(0);
        } else if (start_empty_ > s) {
            c[index] = as_link(start_empty_);
            start_empty_ = s;
        } else {
            if (start_empty_ == s)
                return;
            int cur = start_empty_;
            while (cur != last_empty_ && link_of(c[cur - 1]) < s)
                cur = link_of(c[cur - 1]);
            if (cur == last_empty_) {
                c[cur - 1] = as_link(s);
                c[index] = as_link(0);
                last_empty_ = s;
            } else {
                if (link_of(c[cur - 1]) == s)
                    return;
                c[index] = c[cur - 1];
                c[cur - 1] = as_link(s);
            }
        }
        --count_;
    }

    /// Enters every live element of `source`, in slot order; a value that
    /// cannot be entered is skipped.
    Self &operator+=(const Self &source) {
        append_from(source);
        return static_cast<Self &>(*this);
    }

    /// Empties the array, then enters the source's live elements.
    Arr_slots &operator=(const Arr_slots &source) {
        if (this != &source) {
            size(0);
            append_from(source);
        }
        return *this;
    }

    /// The free-slot link held in a free cell.
    static int link_of(T cell) {
        if constexpr (std::is_pointer_v<T>)
            return static_cast<int>(reinterpret_cast<intptr_t>(cell));
        else
            return static_cast<int>(cell);
    }

protected:
    /// An empty array in `region` (null: the heap region), room for `hint`.
    Arr_slots(PWSRegion *region, int hint) : Arr(sizeof(T), region, hint) {}
    /// A copy lives in the process heap's region, whatever the source's.
    Arr_slots(const Arr_slots &source) : Arr(sizeof(T), PWS::GetMallocRegion(), source.size()) { append_from(source); }

    /// The cells, typed.
    T *cells() const { return static_cast<T *>(data_); }
    /// A free cell's content linking to slot s.
    static T as_link(int s) {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<T>(static_cast<intptr_t>(s));
        else
            return static_cast<T>(s);
    }

private:
    void append_from(const Arr_slots &source);
};

/// Walks the live elements of a typed array in slot order, skipping free
/// slots; each call returns the next element's address, null after the last.
template <class A> class Arr_slot_iterator {
public:
    using T = typename A::value_type; ///< element type
    /// Starts before the first live element of `array` (null: no elements).
    explicit Arr_slot_iterator(const A *array) : array_(array), next_free_(array ? array->startEmpty() : 0) {}

    /// The next live element, null after the last.
    T *operator()() {
        if (!array_)
            return nullptr;
        T *c = static_cast<T *>(array_->start());
        ++index_;
        while (next_free_ != 0 && index_ == next_free_ - 1) {
            next_free_ = A::link_of(c[next_free_ - 1]);
            ++index_;
        }
        if (returned_++ < array_->size())
            return c + index_;
        return nullptr;
    }

private:
    const A *array_;
    int index_ = -1;
    int next_free_;
    int returned_ = 0;
};

template <class Self, class T> void Arr_slots<Self, T>::append_from(const Arr_slots &source) {
    if (&source == this) {
        // Entering into the array being walked would disturb the walk.
        Self copy(static_cast<const Self &>(source));
        append_from(copy);
        return;
    }
    Arr_slot_iterator<Self> it(static_cast<const Self *>(&source));
    while (T *v = it())
        enter(*v);
}

/// Typed array of ints.
class KT_API Arr_int : public Arr_slots<Arr_int, int> {
public:
    /// @{
    /// An empty array in the heap region / in `region`, room for `hint`.
    explicit Arr_int(int hint = 10) : Arr_slots(PWS::GetMallocRegion(), hint) {}
    Arr_int(PWSRegion *region, int hint) : Arr_slots(region, hint) {}
    /// @}
};

/// Typed array of pointer-sized integers; enter and remove are exported.
class KT_API Arr_intptr_t : public Arr_slots<Arr_intptr_t, intptr_t> {
public:
    /// An empty array in `region` (null: the heap region), room for `hint`.
    explicit Arr_intptr_t(PWSRegion *region, int hint = 10) : Arr_slots(region, hint) {}
    using Arr_slots::enter;
    /// As Arr_slots::enter: the slot number, or -1.
    int enter(intptr_t value);
    /// As Arr_slots::remove.
    void remove(int index);
};

/// Typed array of hash-entry pointers.
class KT_API Arr_Hash_entry_p : public Arr_slots<Arr_Hash_entry_p, Hash_entry *> {
public:
    /// @{
    /// An empty array in the heap region / in `region`, room for `hint`.
    explicit Arr_Hash_entry_p(int hint = 10) : Arr_slots(PWS::GetMallocRegion(), hint) {}
    Arr_Hash_entry_p(PWSRegion *region, int hint) : Arr_slots(region, hint) {}
    /// @}
};

using Arr_int_iterator = Arr_slot_iterator<Arr_int>;                   ///< walks an Arr_int
using Arr_intptr_t_iterator = Arr_slot_iterator<Arr_intptr_t>;         ///< walks an Arr_intptr_t
using Arr_Hash_entry_p_iterator = Arr_slot_iterator<Arr_Hash_entry_p>; ///< walks an Arr_Hash_entry_p

// ---- placing container objects in regions ----------------------------------

/// Base of the containers whose objects may themselves live in a region:
/// `new (region) T(...)` places one there (null when refused: the constructor
/// is skipped), plain `new T(...)` in the heap's region, and `delete` frees
/// the object in whichever region owns it.
class KT_API Region_placed {
public:
    /// Storage for an object in the heap region; null when refused.
    static void *operator new(size_t size) noexcept;
    /// Storage in `region` (null: the heap region); null when refused.
    static void *operator new(size_t size, PWSRegion *region) noexcept;
    /// Frees p in the region that owns it (null: nothing).
    static void operator delete(void *p);
    /// Frees p in `region`, or in the region that owns it when that is null.
    static void operator delete(void *p, PWSRegion *region);
};

// ---- ring-buffer queue ---------------------------------------------------

/// A ring-buffer queue of items of `itemsz` bytes in a region.
/// Element j of the queue (0 = oldest) is at index (head + j) % capacity of
/// `data`. Growth at least doubles the capacity and unwraps the part of the
/// ring that lay before `head`, so the elements keep their order. The library
/// never moves `head`; a caller that takes elements from the front advances
/// it modulo the capacity and lowers `count`.
class KT_API Quu : public Region_placed {
public:
    /// @{
    /// An empty queue of items of itemsz bytes (at least 1) with room for n,
    /// in the heap region / in `region` (null: the heap region); a refused
    /// buffer sets the no-store flag.
    Quu(int itemsz, int n);
    Quu(int itemsz, PWSRegion *region, int n);
    /// @}
    /// Gives the buffer back to the region.
    ~Quu();
    Quu(const Quu &) = delete;
    Quu &operator=(const Quu &) = delete;

    /// Items the ring can hold.
    int max_size() const { return capacity; }
    /// Resizes the ring to n elements; the new capacity, or -1 (nothing
    /// changed) when refused or when n is below capacity + head.
    int max_size(int n);
    /// Items in the queue.
    int size() const { return count; }
    /// Sets the count, growing to max(n, 2 * capacity) when needed; n or -1.
    int size(int n);
    /// 1 once a growth was refused (sticky), else 0.
    int nostore() const { return eflag; }

    PWSRegion *region; ///< region of the buffer
    int itemsz;        ///< bytes per item
    void *data;        ///< the ring of `capacity` items
    int capacity;      ///< items the ring holds
    int count;         ///< items queued
    int head;          ///< index of the oldest item
    int eflag;         ///< sticky no-store flag

protected:
    /// Index in `data` of queue element j.
    int slot(int j) const {
        int i = head + j;
        return i < capacity ? i : i % capacity;
    }
    /// Appends k items of `itemsz` bytes; the new count or -1.
    int append(const void *items, int k);
    /// Grows to at least max(needed, 2 * capacity) items; false when refused.
    bool grow_for(int64_t needed);
};

/// A queue of ints.
class KT_API Quu_int : public Quu {
public:
    /// @{
    /// An empty queue with room for n, in the heap region / in `home`.
    explicit Quu_int(int n = 0) : Quu(sizeof(int), n) {}
    Quu_int(PWSRegion *home, int n) : Quu(sizeof(int), home, n) {}
    /// @}
    /// The new count, or -1 when the queue could not grow (nothing changed).
    KT_API int queue(int value);
    /// Appends k values (which may lie in the queue's own buffer): the new
    /// count, or -1 (nothing changed) when refused or for a bad argument.
    int queue(const int *values, int k);
    /// Queue element j (0 = oldest); j must be below size().
    int &item(int j) { return static_cast<int *>(data)[slot(j)]; }
};

/// A queue of pointers.
class KT_API Quu_voidp : public Quu {
public:
    /// @{
    /// An empty queue with room for n, in the heap region / in `home`.
    explicit Quu_voidp(int n = 0) : Quu(sizeof(void *), n) {}
    Quu_voidp(PWSRegion *home, int n) : Quu(sizeof(void *), home, n) {}
    /// @}
    /// The new count, or -1 when the queue could not grow (nothing changed).
    KT_API int queue(void *value);
    /// As Quu_int::queue of k values.
    int queue(void *const *values, int k);
    /// Queue element j (0 = oldest); j must be below size().
    void *&item(int j) { return static_cast<void **>(data)[slot(j)]; }
};

/// Appending one element is the hot path: inline here, and exported as well.
inline int Quu_int::queue(int value) {
    int j = count;
    if (j >= capacity && !grow_for(int64_t{j} + 1))
        return -1;
    static_cast<int *>(data)[slot(j)] = value;
    return count = j + 1;
}

inline int Quu_voidp::queue(void *value) {
    int j = count;
    if (j >= capacity && !grow_for(int64_t{j} + 1))
        return -1;
    static_cast<void **>(data)[slot(j)] = value;
    return count = j + 1;
}

// ---- item bank -----------------------------------------------------------

/// Hands out items of one size carved from region blocks of `incr` items and
/// takes them back onto a free list (a free item's first word links to the
/// next; the last freed is reused first). Items never go back to the region
/// one by one: the blocks, recorded in `blocks` as (address, item count)
/// pairs, are released together by the destructor. Invariant: allocated() =
/// items first handed out from blocks - items on the free list.
class KT_API Bank : public Region_placed {
public:
    /// The item size is raised to at least one pointer and to a multiple of
    /// the pointer alignment; an increment below 1 becomes 1.
    /// The first block is taken at once; when refused, nostore() is set.
    Bank(int itemsz, PWSRegion *region, int incr);
    /// Releases every block.
    ~Bank();
    Bank(const Bank &) = delete;
    Bank &operator=(const Bank &) = delete;

    /// One uninitialised item, or null when a new block was refused.
    void *get();
    /// Takes an item back (null is ignored); no check that it came from here.
    void free(void *item);
    /// Items handed out and not taken back.
    int allocated() const { return n_alloc; }
    /// Items in all blocks taken from the region.
    int total() const { return n_total; }
    /// 1 once the region refused a block (sticky), else 0.
    int nostore() const { return eflag; }
    /// Bytes per item, after rounding.
    int item_size() const { return itemsz; }
    /// Items per block.
    int increment() const { return incr; }
    /// Lists the bank's fields, blocks and free list on standard error.
    void dump() const;

private:
    void *get_from_new_block();
    bool record_block(char *block, int items);

    PWSRegion *region;
    int itemsz;
    int incr;
    Arr_intptr_t blocks;
    int eflag;
    int n_alloc;
    int n_total;
    void *free_p;
    char *p;
    int n;
    int m;
};

#endif /* __cplusplus */

#endif
