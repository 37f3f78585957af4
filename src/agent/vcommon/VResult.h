#pragma once

#include <cerrno>

// The outcome of one file operation: success, or the errno of the call that
// failed, taken right where it failed. Tests like a bool:
//   const VResult removed = dir.Remove(name);
//   if (!removed) printf("(%d) %s\n", removed.error, strerror(removed.error));
struct VResult
{
    int error = 0; // 0 on success

    static VResult Ok() { return VResult{}; }
    // A failure always carries a number: EIO when the caller had none.
    static VResult Failed(int error) { return VResult{error != 0 ? error : EIO}; }
    // The errno of the call that just failed.
    static VResult FromErrno() { return Failed(errno); }
    // Ok when `done`, else the errno of the call that just failed.
    static VResult Of(bool done) { return done ? Ok() : FromErrno(); }

    explicit operator bool() const { return error == 0; }
};
