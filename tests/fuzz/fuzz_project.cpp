// libFuzzer target for the project file reader: any bytes must read into 93 values without a
// crash, the resulting state must be canonical (reading it again changes nothing) and must survive
// being written and read back. Built and run by scripts/fuzz.sh, not by CTest.
#include "project/projectformat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QStringList values = Project::parseLines(bytes);
    if (values.size() != Project::lineCount)
        abort();
    Project::State state = Project::defaultState();
    Project::apply(state, values, 3);
    if (state.size() != Project::lineCount)
        abort();

    Project::State again = state;
    Project::apply(again, state, 3);
    if (again != state)
        abort();

    Project::State reread = Project::defaultState();
    Project::apply(reread, Project::parseLines(Project::formatLines(state)), 3);
    if (reread != state)
        abort();
    return 0;
}
