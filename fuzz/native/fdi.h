#pragma once
// The cabinet library's declarations that our own reader uses, for the native fuzz build only (the
// Windows build takes the SDK's fdi.h). The values are the library's: the reader hands them to the
// engine, which shows and logs them.
#include "util/Platform.h"

// File attribute bits of a cabinet's file records beyond the Windows ones.
#define _A_NAME_IS_UTF 0x80
#define _A_EXEC 0x40

struct ERF {
    int erfOper; // an FDIERROR value
    int erfType;
    BOOL fError;
};
using PERF = ERF*;

enum FDIERROR {
    FDIERROR_NONE = 0,
    FDIERROR_CABINET_NOT_FOUND = 1,
    FDIERROR_NOT_A_CABINET = 2,
    FDIERROR_UNKNOWN_CABINET_VERSION = 3,
    FDIERROR_CORRUPT_CABINET = 4,
    FDIERROR_ALLOC_FAIL = 5,
    FDIERROR_BAD_COMPR_TYPE = 6,
    FDIERROR_MDI_FAIL = 7,
    FDIERROR_TARGET_FILE = 8,
    FDIERROR_RESERVE_MISMATCH = 9,
    FDIERROR_WRONG_CABINET = 10,
    FDIERROR_USER_ABORT = 11,
};

enum FDINOTIFICATIONTYPE {
    fdintCABINET_INFO = 0,
    fdintPARTIAL_FILE = 1,
    fdintCOPY_FILE = 2,
    fdintCLOSE_FILE_INFO = 3,
    fdintNEXT_CABINET = 4,
    fdintENUMERATE = 5,
};

struct FDINOTIFICATION {
    LONG cb;
    char* psz1;
    char* psz2;
    char* psz3;
    void* pv;
    INT_PTR hf;
    USHORT date;
    USHORT time;
    USHORT attribs;
    USHORT setID;
    USHORT iCabinet;
    USHORT iFolder;
    FDIERROR fdie;
};
using PFDINOTIFICATION = FDINOTIFICATION*;
