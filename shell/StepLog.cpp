#include "StepLog.h"

#include "ActivityLog.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <string>

void WriteStepHeading(int step)
{
    WriteActivityLog(u"\r\n");
    WriteActivityLog((u"Step " + std::u16string(1, static_cast<char16_t>(u'0' + step)) + u" :").c_str());
    WriteActivityLog(u"-------");
}

void WriteStepLine(LPCWSTR label, LPCWSTR value)
{
    std::u16string line = std::u16string(label) + value;
    line.resize(WideCutLength(line, MAX_PATH - 1));
    WriteActivityLog(line.c_str());
}
