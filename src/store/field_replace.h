// The file CFW writes, made so that a write that fails leaves the file as
// it was.
//
// A regular file (or a new one) is written to a temporary file beside it,
// which takes the target's place by renaming only once every byte has been
// written and the temporary closed; it gets the permission bits of the
// file it replaces (a new file those of a file opened for writing). A
// symbolic link to a regular file keeps pointing at it; the file it names
// is replaced. Anything else (a device, a pipe) cannot be replaced so and
// is written in place, each step checked. A temporary that is not put in
// place is removed.
#ifndef KT_SRC_STORE_FIELD_REPLACE_H
#define KT_SRC_STORE_FIELD_REPLACE_H

#include <cstddef>
#include <string>

namespace kt::store {

class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Whether open(path) would write a temporary (a regular file, or none
    // yet) rather than the target itself.
    static bool through_temporary(const std::string &path);
    // Opens the temporary (or the target itself): false with errno when it
    // cannot be opened; nothing is changed then.
    bool open(const std::string &path);
    // Writes the bytes: false once any write failed.
    bool write(const char *p, size_t n);
    // Closes and puts the file in place: true, or false with errno (the
    // target untouched whenever it was to be replaced through a temporary).
    bool commit();

private:
    void discard();
    std::string target_, temp_; // temp_ empty: writing the target in place
    int fd_ = -1;
    int error_ = 0;
};

} // namespace kt::store

#endif
