#pragma once

// Resource ids of the Windows test program, shared by DialogRunnerTest.rc and the tests.
#define SEALWING_TEST_DIALOG 100
#define SEALWING_TEST_NAME_LABEL 1001
#define SEALWING_TEST_NAME_EDIT 1002
// Not 1: an executable's manifest 1 is activated for the whole process, which would hide what the runner does.
#define SEALWING_TEST_MANIFEST 3
