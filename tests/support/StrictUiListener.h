// Makes every test strict about the user interface: during each test an unexpected message
// box or file dialog fails it (a CScriptedUi with no expectations stands under the test's
// own), and misuse the platform reports (a dialog nobody answers, a control that does not
// exist) becomes a test failure. Call once before the tests run; later calls do nothing.
#pragma once

void InstallStrictUiListener();
