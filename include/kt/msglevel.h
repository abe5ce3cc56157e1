/// @file
/// The process-wide debug switches of the simulator, and the writing of a
/// Gen_Exception to a stream.
///
/// `msgLevel` holds one byte per switch (0 off, 1 on), all off at load time.
/// A switch is turned on by name with set_flag; each name requires a
/// privilege level, and only names whose level is at most `level` can be set.
/// A name may turn on several switches. The components that act on a switch
/// read its byte directly.
#ifndef KT_MSGLEVEL_H
#define KT_MSGLEVEL_H

#include <ostream>

#include "kt/abi.h"

/// The table of debug switches; the one instance is msgLevel.
class KT_API MsgLevelFlags {
public:
    static constexpr int kSwitches = 55; ///< number of switches
    /// Outcomes of set_flag, left in `status`.
    enum Status {
        SET = 0,           ///< at least one switch set
        UNKNOWN = 1,       ///< no such name
        LEVEL_TOO_LOW = 2, ///< the name needs a higher level
        HELP = 4           ///< the name was "help"
    };

    /// All switches off, level 0.
    constexpr MsgLevelFlags() : status(0), level(0), flags{} {}

    /// Turns on the switches of `name` (ignoring letter case). Status: 0 at
    /// least one set, 1 no such name, 2 the name needs a higher level (rows
    /// met before that stay on), 4 the name was "help" (nothing set).
    void set_flag(const char *name);

    int status; ///< outcome of the last set_flag (a Status)
    /// Privilege level; 0 at load time. Raised by whoever embeds the library.
    int level;
    char flags[kSwitches]; ///< one byte per switch: 0 off, 1 on
};

/// The process's debug switches.
extern KT_API MsgLevelFlags msgLevel;

/// Base of the simulator's exceptions; print is its second virtual operation.
class KT_API Gen_Exception {
public:
    virtual ~Gen_Exception();
    /// Writes a description of the exception to os; `detail` asks for more
    /// (the base writes "exception" and ignores it).
    virtual void print(std::ostream &os, int detail) const;
};

/// Writes the exception with print(os, 0).
KT_API std::ostream &operator<<(std::ostream &os, const Gen_Exception &e);

#endif
