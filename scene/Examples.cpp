#include "scene/Examples.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

namespace {

QString ResourceOf(const std::string& File) {
    return QStringLiteral(":/examples/") + QString::fromStdString(File);
}

std::vector<ExampleMap> ReadIndex() {
    std::vector<ExampleMap> Result;
    QFile Index(ResourceOf("index.txt"));
    if (!Index.open(QIODevice::ReadOnly | QIODevice::Text)) return Result;
    for (const QString& Line : QString::fromUtf8(Index.readAll()).split(QLatin1Char('\n'))) {
        if (Line.isEmpty() || Line.startsWith(QLatin1Char('#'))) continue;
        const QStringList Fields = Line.split(QLatin1Char('\t'));
        if (Fields.size() != 3) continue;
        Result.push_back({Fields[0].toStdString(), Fields[1].toStdString(), Fields[2].toStdString()});
    }
    return Result;
}

}  // namespace

const std::vector<ExampleMap>& Examples() {
    static const std::vector<ExampleMap> All = ReadIndex();
    return All;
}

const ExampleMap* FindExample(const std::string& Name) {
    for (const ExampleMap& E : Examples())
        if (E.Name == Name) return &E;
    return nullptr;
}

DocumentError ReadExample(const std::string& Name, MapDocument& D) {
    if (!FindExample(Name)) return DocumentError::NotAssigned;
    QFile F(ResourceOf(Name + ".tvn"));
    if (!F.open(QIODevice::ReadOnly)) return DocumentError::ReadError;
    const QByteArray Bytes = F.read(static_cast<qint64>(MaxDocumentBytes) + 1);
    if (Bytes.size() > static_cast<qsizetype>(MaxDocumentBytes)) return DocumentError::BadFileType;
    return ReadDocument(std::span(reinterpret_cast<const uint8_t*>(Bytes.constData()),
                                  static_cast<size_t>(Bytes.size())),
                        D);
}
