#include "host.h"

#include "graph.h"

namespace kadra {

namespace {

NullGraphCanvas nullCanvas;
NullTestLog nullLog;
NullResultsSink nullSink;
Host installed;

}  // namespace

void InstallHost(const Host& host) {
    if (graphState.drawing) GraphEnd();
    installed = host;
}

FileSystem& CurrentFileSystem() {
    return installed.files ? *installed.files : SystemFileSystem();
}

Clock& CurrentClock() {
    return installed.clock ? *installed.clock : SystemClock();
}

GraphCanvas& CurrentGraphCanvas() {
    return installed.graphCanvas ? *installed.graphCanvas : nullCanvas;
}

TestLog& CurrentTestLog() {
    return installed.testLog ? *installed.testLog : nullLog;
}

ResultsSink& CurrentResultsSink() {
    return installed.resultsSink ? *installed.resultsSink : nullSink;
}

const HostCalls& CurrentHostCalls() {
    return installed.calls;
}

ClockTime CurrentTimeOfDay() {
    return installed.graphClock ? installed.graphClock() : SystemTimeOfDay();
}

}  // namespace kadra
