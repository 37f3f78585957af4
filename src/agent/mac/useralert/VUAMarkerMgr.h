#pragma once

#include "VUAMarkerTypes.h"

#include <string>
#include <vector>

// Names, tests, reads, writes and deletes the marker files of one dialog.
// Both sides of the channel use it: the dialog (default constructor, then
// SetSuffix) and the agent or its stand-in (constructed with the suffix).
class VUAMarkerMgr
{
public:
    VUAMarkerMgr();
    explicit VUAMarkerMgr(const char* suffix);
    explicit VUAMarkerMgr(const std::string& suffix);
    virtual ~VUAMarkerMgr();

    void SetupMarkerPaths();
    // Stores the suffix with every byte that is not an ASCII letter or digit
    // replaced by "X" ("a-b.c" -> "aXbXc"); an empty suffix changes nothing.
    void SetSuffix(const std::string& suffix);

    std::string GetPathFromType(VUA_MarkerType type) const;
    std::string GetFilePath(VUA_MarkerType type) const;
    bool Exists(VUA_MarkerType type) const;

    // Lines without their line feeds; a file ending in a line feed, and an
    // empty file, give a last empty line. False when the marker cannot be
    // opened or is a directory.
    bool Read(VUA_MarkerType type, std::vector<std::string>& lines) const;
    // Appends the lines to `text` without separators: "a\nb\n" -> "ab".
    bool Read(VUA_MarkerType type, std::string& text) const;

    // Appends `content` as one line (a line feed is added when missing).
    bool Write(VUA_MarkerType type, const std::string& content) const;
    // Creates the marker when missing; existing content stays.
    bool Write(VUA_MarkerType type) const;

    // For the agent's side: writes `content` (a line feed added when
    // missing) under a temporary name and renames it into place, so the
    // dialog never finds the marker half written. Replaces an untaken one.
    bool Publish(VUA_MarkerType type, const std::string& content) const;

    void Delete(VUA_MarkerType type) const;
    void DeleteAll() const; // every kind but MARKER_DEBUG

    const std::string& suffix() const { return m_suffix; }

private:
    static bool IsValidType(VUA_MarkerType type);
    void ComposeFilePaths();

    std::string m_paths[kMarkerTypeCount];     // directory and prefix
    std::string m_filePaths[kMarkerTypeCount]; // the same with the suffix
    std::string m_suffix;
};
