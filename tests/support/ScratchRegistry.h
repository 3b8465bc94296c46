// A registry of its own for one test, on the backend of the build: an in-memory SQLite store
// natively; under Wine the Windows registry with HKEY_CURRENT_USER redirected to a scratch key
// (HKCU\Software\Mardel\QuilloTest\<process id>), created and deleted around the test. Tests may then write
// the add-in's own key without touching a real setting.
#pragma once

namespace testsupport {

void InstallScratchRegistry();
void RemoveScratchRegistry();

}  // namespace testsupport
