// libFuzzer target for reading project files: any bytes, written to a real file and read through
// the same path the window and the command line take, must either be refused or read into 93
// values without a crash; the resulting state must be canonical (reading it again changes nothing)
// and must survive being written and read back. Built and run by scripts/fuzz.sh, not by CTest.
#include "project/projectformat.h"

#include <QByteArray>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {
QString input;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    input = QStringLiteral("/dev/shm/glyphwright-fuzz-project-%1.ipr").arg(getpid());
    // The real start-up file seeds the corpus.
    if (const char* seed = getenv("GLYPHWRIGHT_FUZZ_SEED")) {
        QFile file(QString::fromLocal8Bit(seed));
        if (file.open(QIODevice::WriteOnly))
            file.write(Project::format(Project::State()));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            abort();
    }
    const Project::FileContents contents = Project::readFile(input);
    // Refused exactly when the bytes are too many or not text.
    if (contents.ok != (bytes.size() <= Project::maximumFileSize && Project::isText(bytes)))
        abort();
    if (!contents.ok)
        return 0;
    if (contents.values.size() != Project::lineCount)
        abort();
    Project::State state;
    Project::apply(state, contents.values, 3);
    if (state.lines().size() != Project::lineCount)
        abort();

    Project::State again = state;
    Project::apply(again, state.lines(), 3);
    if (again != state)
        abort();

    Project::State reread;
    Project::apply(reread, Project::parseLines(Project::format(state)), 3);
    if (reread != state)
        abort();
    return 0;
}
