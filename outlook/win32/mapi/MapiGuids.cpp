// Defines the MAPI interface identifiers the adapters and the served objects ask for, once for every program that
// links them. MinGW-w64 has no library that holds them.
#include <windows.h>
#include <initguid.h>

#define USES_IID_IAttachment
#define USES_IID_IMAPIProp
#define USES_IID_IMAPIContainer
#define USES_IID_IMAPIFolder
#define USES_IID_IMAPISession
#define USES_IID_IMailUser
#define USES_IID_IMessage
#define USES_IID_IMsgStore
#define USES_IID_IProfSect
#include <mapiguid.h>
