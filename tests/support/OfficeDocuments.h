#pragma once
// Shared by the tests that drive the office: what it holds open, and its
// sudden end.

namespace testsupport {

// How many documents the office holds (hidden ones too).
int openDocumentCount();

// Kills every process of an office's process group (Office::processGroup())
// at once, as a crash or the user's kill would, and waits until they are
// gone.
void killOffice(long long group);

} // namespace testsupport
