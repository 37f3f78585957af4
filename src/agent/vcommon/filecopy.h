#pragma once

// Copies `from` to `to` in-process, keeping permission bits, owner (where the
// caller may set it) and access/modification times, as `cp -p` does. When
// `to` names an existing directory, the file keeps its base name inside it.
// Returns false when the source cannot be read or the copy is incomplete; a
// half-written destination is removed.
bool CopyFilePreserving(const char* from, const char* to);
