#pragma once

// Named steps at which a test run makes the program die as a power cut or a
// kill -9 would: the proof that what must change together does, whatever
// moment the program stops at. Only a test sets ZEV_FAULT_POINT, to the
// name of one step; every other run passes the steps by.

namespace zev {

void FaultPoint(const char* name);

} // namespace zev
