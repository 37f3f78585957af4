#pragma once

#include "VSafeDir.h"

#include <string>

// Copies the plain file `name` of `from` to a new file of the same name in
// `to`, keeping permission bits, owner (where the caller may set it) and
// access/modification times, as `cp -p` does. The source is read only when
// it is a regular file of root or this process's user; the copy is created
// exclusively, so nothing planted at its name is written through. Returns
// false when the source cannot be read or the copy is incomplete; a
// half-written copy is removed.
bool CopyFileInto(const VSafeDir& from, const std::string& name, const VSafeDir& to);
