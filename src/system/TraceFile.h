#pragma once
// The timing trace for the benchmarks and the monkey: when TESSARO_TRACE names a file, one line
// per noted moment, "<microseconds on the monotonic clock> <event>", written as it happens so that
// a program that is killed leaves a complete trace. Without it nothing is opened and noting costs
// one test.
void OpenTraceFile();
void NoteInTrace(const char* event);
