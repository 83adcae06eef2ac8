#pragma once

// Resource ids of the dialog adapter's test dialog, shared by DialogAdapterTest.rc and the tests.
#define SEALWING_ADAPTER_DIALOG 101
#define SEALWING_ADAPTER_LABEL 1101
#define SEALWING_ADAPTER_EDIT 1102
#define SEALWING_ADAPTER_COMBO 1103
#define SEALWING_ADAPTER_PROGRESS 1104
#define SEALWING_ADAPTER_LINK 1105
#define SEALWING_ADAPTER_APPLY 1106
