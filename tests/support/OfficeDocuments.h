#pragma once
// Shared by the tests that drive the office: what it holds open, and its
// sudden end.

#include <vector>

#include <sys/types.h>

namespace testsupport {

// How many documents the office holds (hidden ones too).
int openDocumentCount();

// A process of an office's process group and its state as the system
// lists it ('Z' for a zombie: an ended process not yet reaped).
struct GroupMember {
    pid_t pid;
    char state;
};

// The processes of the process group `group`.
std::vector<GroupMember> groupMembers(long long group);

// Whether a process of the group still runs (an ended one reaped only
// later, a zombie meanwhile, does not count).
bool groupAlive(long long group);

// Kills every process of an office's process group (Office::processGroup())
// at once, as a crash or the user's kill would, and waits until they are
// gone.
void killOffice(long long group);

} // namespace testsupport
