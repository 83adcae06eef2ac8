#pragma once

// Extended MAPI's headers as MinGW-w64 ships them. They define the property tags and types as macros (PR_ENTRYID,
// PT_UNICODE, ...) whose names the portable host interface also uses: include this after every portable header,
// and name MAPI's constants through the macros from then on.

#include <windows.h>
#include <mapicode.h>
#include <mapidefs.h>
#include <mapiguid.h>
#include <mapitags.h>
#include <mapiutil.h>
#include <mapix.h>
#include <unknwn.h>
