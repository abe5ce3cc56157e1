/// @file
/// libkt_corvane: memory regions and the container bases built on them (C++).
///
/// A PWSRegion is an arena: blocks come from large chunks, freed blocks are
/// kept on per-size free lists and handed out again, and destroying the region
/// releases every chunk at once, so all the containers of one job can be
/// dropped together. Every block carries a 16-byte header naming its region,
/// which is how PWS::WhichRegion finds the owner of a block without a search.
/// The region returned by PWS::GetMallocRegion takes each block from the
/// process heap instead and lives as long as the process.
///
/// Invariants of a region:
///   - every payload is 16-byte aligned and preceded by its header;
///   - bytes_in_use() is the sum of the usable sizes of its live blocks
///     (requests rounded up to 16 bytes below 4 KiB, exact above);
///   - a request that shrinks a block, or keeps its size, succeeds in place
///     (the block keeps its usable size); only requests for more space ask
///     the host's shared refusal counter (kt_host_fail_alloc_after).
///
/// Arr and Stk are the growable element stores beneath the typed arrays and
/// stacks of libkt_util. Their storage lives in one region block that may move
/// whenever it grows; their no-store flag is sticky once a growth failed.
///
/// Nothing here throws or locks; failures are null pointers, negative results
/// and no-store flags.
///
/// Built with AddressSanitizer, a region makes addressable exactly the bytes
/// each small block was asked for: reading or writing past them, or a block
/// after FreeMem, is reported.
#ifndef KT_REGION_H
#define KT_REGION_H

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>

#include "kt/abi.h"

/// Status of one region call; made fresh around each call. `code`: 0 done,
/// 1 no storage, 2 the pointer names no region block. `detail` is free for
/// the host.
class KT_API KT_Status {
public:
    KT_Status() = default;
    virtual ~KT_Status();
    int code = 0;   ///< 0 done, 1 no storage, 2 not a region block
    int detail = 0; ///< free for the host
};

/// An arena of blocks released all at once (see the file description).
class KT_API PWSRegion {
public:
    /// An empty region; it takes chunks from the process heap as blocks are asked for.
    PWSRegion();
    /// Releases every chunk: all blocks of the region go at once.
    ~PWSRegion();
    PWSRegion(const PWSRegion &) = delete;
    PWSRegion &operator=(const PWSRegion &) = delete;

    /// A block of `bytes` (0 allowed: a valid, distinct block), or null.
    void *AllocMem(size_t bytes, KT_Status &status);
    /// Gives a block back; null is ignored, a block of another region or one
    /// already freed is refused with status 2.
    void FreeMem(void *block, KT_Status &status);
    /// Resizes a block keeping the first min(old, new) bytes; may move it.
    /// Null on refusal (the block is untouched). A null block allocates.
    void *ResizeMem(void *block, size_t old_bytes, size_t new_bytes, KT_Status &status);

    /// For tests: kt_host_fail_alloc_after(n), the counter every allocator
    /// shares (not this region's alone); -1: never refuse.
    void fail_after(int64_t n);
    /// Sum of the usable sizes of the live blocks.
    int64_t bytes_in_use() const { return in_use_; }
    /// Number of live blocks.
    int64_t blocks_in_use() const { return live_blocks_; }
    /// True for the region of PWS::GetMallocRegion.
    bool is_heap() const { return heap_; }

private:
    friend class PWS;
    struct HeapTag {};
    explicit PWSRegion(HeapTag);

    static constexpr size_t kGranule = 16, kSmallMax = 4096, kClasses = kSmallMax / kGranule + 1;
    struct Chunk;
    struct Large;

    bool grant();
    void *alloc_small(size_t cls);
    void *small_block(size_t bytes);
    void *alloc_large(size_t bytes);
    void *alloc_heap(size_t bytes);
    bool new_chunk(size_t need);
    void release_all();

    uint32_t magic_;
    bool heap_;
    int64_t in_use_ = 0;
    int64_t live_blocks_ = 0;
    char *cur_ = nullptr; ///< bump pointer into the newest chunk
    char *end_ = nullptr;
    size_t next_chunk_ = 0;
    Chunk *chunks_ = nullptr;
    Large *large_ = nullptr;
    void *free_[kClasses] = {};
};

/// The process-wide services around regions.
class KT_API PWS {
public:
    /// The region backed by the process heap; never destroyed.
    static PWSRegion *GetMallocRegion();
    /// The region that owns `block`, read from the block's header; null and
    /// status 2 for a null pointer or a block already given back.
    static PWSRegion *WhichRegion(void *block, KT_Status &status);
};

/// Growable element store: `count` live elements of `elsize` bytes at
/// start(), room for max_size(). The two free-slot numbers belong to the
/// typed arrays derived from it (1-based, 0 = none); size(0) clears them.
class KT_API Arr {
public:
    /// @{
    /// An empty store of elements of elsize bytes (at least 1) in the heap
    /// region / in `region` (null: the heap region), with room for `hint`
    /// elements when hint > 0; a refused first block sets the no-store flag.
    Arr(int elsize, int hint);
    Arr(int elsize, PWSRegion *region, int hint);
    /// @}
    /// Gives the storage back to the region.
    ~Arr();
    Arr(const Arr &) = delete;
    Arr &operator=(const Arr &) = delete;

    /// The number of live elements.
    int size() const { return count_; }
    /// Sets the count to n, growing the storage (at least doubling) when n
    /// exceeds the capacity; n, or -1 when storage was refused (nothing changed).
    int size(int n);
    /// The first element; null before any storage was taken.
    void *start() const { return data_; }
    /// Elements the storage can hold.
    int max_size() const { return capacity_; }
    /// Grows the capacity to at least n elements; the capacity, or -1.
    int max_size(int n);
    /// 1 once a growth was refused (sticky), else 0.
    int nostore() const { return eflag_; }
    /// First free slot of the typed array (1-based), 0 when none.
    int startEmpty() const { return start_empty_; }
    /// Last free slot of the typed array (1-based), 0 when none.
    int lastEmpty() const { return last_empty_; }
    /// Bytes per element.
    int elsize() const { return elsize_; }
    /// The region holding the storage.
    PWSRegion *region() const { return region_; }

protected:
    /// Makes room for n elements (never shrinks): false, with the no-store
    /// flag set and nothing changed, when refused.
    bool reserve(int64_t n);

    PWSRegion *region_;    ///< region of the storage, never null
    int elsize_;           ///< bytes per element, >= 1
    int count_ = 0;        ///< live elements
    void *data_ = nullptr; ///< the storage, null before the first growth
    int capacity_ = 0;     ///< elements the storage holds
    int eflag_ = 0;        ///< sticky no-store flag
    int start_empty_ = 0;  ///< first free slot (1-based), 0: none
    int last_empty_ = 0;   ///< last free slot (1-based), 0: none
};

/// Growable stack store: `count` elements of `elsize` bytes at start().
class KT_API Stk {
public:
    /// An empty stack of elements of elsize bytes (at least 1) in `region`
    /// (null: the heap region), with room for `hint` elements when hint > 0;
    /// a refused first block sets the no-store flag.
    Stk(int elsize, PWSRegion *region, int hint);
    /// Gives the storage back to the region.
    ~Stk();
    Stk(const Stk &) = delete;
    Stk &operator=(const Stk &) = delete;

    /// The number of elements.
    int size() const { return count_; }
    /// 1 once a growth was refused (sticky), else 0.
    int nostore() const { return eflag_; }
    /// The bottom element; null before any storage was taken.
    void *start() const { return data_; }
    /// Elements the storage can hold.
    int max_size() const { return capacity_; }

protected:
    /// Makes room for one more element; false (and the flag set) when refused.
    bool grow();

    PWSRegion *region_;    ///< region of the storage, never null
    int elsize_;           ///< bytes per element, >= 1
    void *data_ = nullptr; ///< the storage, null before the first growth
    int capacity_ = 0;     ///< elements the storage holds
    int count_ = 0;        ///< elements on the stack
    int eflag_ = 0;        ///< sticky no-store flag
};

/// A stack of ints; -1 doubles as "empty" for pop and top.
class KT_API Stk_int : public Stk {
public:
    /// An empty stack in `region` (null: the heap region), room for `hint`.
    Stk_int(PWSRegion *region, int hint) : Stk(sizeof(int), region, hint) {}
    /// The new count, or -1 when the stack could not grow (nothing changed).
    int push(int value);
    /// The top element, removed; -1 from an empty stack, which stays empty.
    int pop() {
        if (count_ <= 0)
            return -1;
        return static_cast<int *>(data_)[--count_];
    }
    /// The top element, left in place; -1 for an empty stack.
    int top() const { return count_ > 0 ? static_cast<int *>(data_)[count_ - 1] : -1; }
};

/// The host's output stream. Its characters go, unbuffered and in order, to
/// whatever stream buffer the followed stream currently has, so text written
/// to ktout and to std::cout interleaves as written, and redirecting
/// std::cout redirects ktout with it.
template <class charT, class traits = std::char_traits<charT>> class basic_ktio_streambuf
    : public std::basic_streambuf<charT, traits> {
public:
    using int_type = typename traits::int_type; ///< character or end-of-file
    /// A buffer writing through to follow's current stream buffer.
    explicit basic_ktio_streambuf(std::basic_ostream<charT, traits> &follow) : follow_(&follow) {}

protected:
    /// Writes one character: c, or end-of-file when it could not be written.
    int_type overflow(int_type c) override {
        if (traits::eq_int_type(c, traits::eof()))
            return traits::not_eof(c);
        std::basic_streambuf<charT, traits> *target = follow_->rdbuf();
        return target ? target->sputc(traits::to_char_type(c)) : traits::eof();
    }
    /// Writes n characters: the count written.
    std::streamsize xsputn(const charT *s, std::streamsize n) override {
        std::basic_streambuf<charT, traits> *target = follow_->rdbuf();
        return target ? target->sputn(s, n) : 0;
    }
    /// Flushes the followed buffer: 0, or -1 on failure.
    int sync() override {
        std::basic_streambuf<charT, traits> *target = follow_->rdbuf();
        return target ? target->pubsync() : -1;
    }

private:
    std::basic_ostream<charT, traits> *follow_;
};

/// An output stream over a basic_ktio_streambuf.
template <class charT, class traits = std::char_traits<charT>> class basic_ktio_ostream
    : public std::basic_ostream<charT, traits> {
public:
    /// A stream whose text goes wherever `follow` sends its own.
    explicit basic_ktio_ostream(std::basic_ostream<charT, traits> &follow)
        : std::basic_ostream<charT, traits>(nullptr), buf_(follow) {
        this->init(&buf_);
    }

private:
    basic_ktio_streambuf<charT, traits> buf_;
};

/// The host's narrow output stream type.
using ktio_ostream = basic_ktio_ostream<char>;
/// The host's output stream, following std::cout.
extern KT_API ktio_ostream ktout;

#endif
