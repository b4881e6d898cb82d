#pragma once

#include <QByteArray>
#include <QIODevice>

namespace TestSupport {

// Takes at most `chunk` bytes a call and fails once it holds `capacity` bytes.
class FailingDevice : public QIODevice
{
  public:
    FailingDevice(qint64 capacity, qint64 chunk) : capacity(capacity), chunk(chunk) {}
    QByteArray data;

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* bytes, qint64 size) override
    {
        if (data.size() >= capacity) {
            setErrorString(QStringLiteral("device full"));
            return -1;
        }
        const qint64 n = qMin(size, qMin(chunk, capacity - data.size()));
        data.append(bytes, int(n));
        return n;
    }

  private:
    qint64 capacity, chunk;
};

} // namespace TestSupport
