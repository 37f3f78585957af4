#pragma once

#include <cerrno>

// The outcome of one file operation: success, or what kind of failure it
// was with the errno of the call that failed, taken right where it failed.
// Tests like a bool:
//   const VResult removed = dir.Remove(name);
//   if (!removed) printf("(%d) %s\n", removed.error, strerror(removed.error));
// A refusal of the shared-directory layer has its own kind and errno:
//   a link at the name           -> {NotRegular, ELOOP}
//   a file of an untrusted owner -> {ForeignOwner, EPERM}
//   more bytes than allowed      -> {TooLarge, EFBIG}
struct VResult
{
    enum class Kind
    {
        Ok,
        Missing,      // no entry of that name (ENOENT)
        NotRegular,   // a link, FIFO, socket, device, directory or second name
        ForeignOwner, // a regular file, but of an owner the caller does not trust
        TooLarge,     // larger than the caller's limit
        Failed,       // any other error; the errno tells
    };

    int error = 0; // 0 on success, and only then
    Kind kind = Kind::Ok;

    static VResult Ok() { return VResult{}; }
    // A failure always carries a number: EIO when the caller had none.
    static VResult Failed(int error, Kind kind = Kind::Failed)
    {
        return VResult{error != 0 ? error : EIO, kind != Kind::Ok ? kind : Kind::Failed};
    }
    // The errno of the call that just failed.
    static VResult FromErrno() { return Failed(errno); }
    // Ok when `done`, else the errno of the call that just failed.
    static VResult Of(bool done) { return done ? Ok() : FromErrno(); }

    explicit operator bool() const { return error == 0; }
    // A short English reason for logs, after "it": "does not exist",
    // "belongs to a user who may not write it", ...
    const char* text() const;
};
