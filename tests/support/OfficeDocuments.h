#pragma once
// Shared by the tests that drive the office: what it holds open.

namespace testsupport {

// How many documents the office holds (hidden ones too).
int openDocumentCount();

} // namespace testsupport
