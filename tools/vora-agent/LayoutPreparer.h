#pragma once

#include <string>
#include <vector>

// Creates the agent's data layout below the root in use, with the owners
// and modes the dialogs and the agent rely on (the package's tmpfiles.d
// entry makes the same):
//   <data root>/Orvel                     0755 root:root
//   <data root>/Orvel/VORA                0755 root:root
//   <data root>/Orvel/VORA/data           0755 root:root
//   <data root>/Orvel/VORA/data/user      1777 root:root  (shared marker directory)
//   <data root>/Orvel/VORA/data/user/VAgent.log  0622 root:root
// (names and modes from the generated VoraLayout.h). Existing directories
// get these owners and modes; none of them is followed through a link. A
// log of root's is kept; anything else at its name (a directory, a link,
// another user's file) is swapped out for a fresh log and moved aside.
// Owners are set only when running as root.
class LayoutPreparer final
{
public:
    // True when everything is in place; `problems` says what is not.
    bool run(std::vector<std::string>* problems) const;
};
