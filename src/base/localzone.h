#pragma once
// The clerk's local time zone, as the C library keeps it. With no TZ set the
// library reads the system's zone file again for every local time it works
// out: one for each line a save records in the history (the engine's
// 'localtime'), one for each voucher loaded (the time it was written). Named
// once at start-up, before any thread runs, the zone is read once.
//
// The zone stays the machine's own: both the C library and Qt take
// ":/etc/localtime" as the system's zone. A TZ already set is left as it is.
void settleLocalZone();
