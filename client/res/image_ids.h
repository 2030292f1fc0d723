// Identifiers of the client's generated bitmaps, for code and resource scripts.
#pragma once

#define IDB_TOOLBAR 130     // toolbar 130: 12 images of 20x16
#define IDB_SERVER 135      // server list: the server symbol, 15x13
#define IDB_RUN_RESULT 136  // run log: answered, failed, 16x16 each
