// Reading and writing document files with Qt's file classes.
#include "scene/DocumentFiles.h"

#include <QFile>
#include <QSaveFile>

FileOutcome LoadDocumentFile(const std::string& Path, MapDocument& Out) {
    FileOutcome R;
    QFile F(QString::fromStdString(Path));
    if (!F.open(QIODevice::ReadOnly)) {
        R.SystemText = F.errorString().toStdString();
        return R;
    }
    // A document is a few hundred bytes; a huge file is refused before it is read.
    if (F.size() > static_cast<qint64>(MaxDocumentBytes)) {
        R.Code = DocumentError::ReadError;
        return R;
    }
    QByteArray Bytes = F.read(static_cast<qint64>(MaxDocumentBytes) + 1);
    if (F.error() != QFileDevice::NoError) {
        R.SystemText = F.errorString().toStdString();
        return R;
    }
    R.Code = ReadDocument(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(Bytes.constData()),
                                 static_cast<size_t>(Bytes.size())),
        Out);
    return R;
}

FileOutcome SaveDocumentFile(const std::string& Path, const MapDocument& D) {
    FileOutcome R;
    std::vector<uint8_t> Bytes = WriteDocument(D);
    QSaveFile F(QString::fromStdString(Path));
    // A buffered write can fail without the commit noticing: every write and the flush are
    // checked, and any failure abandons the temporary file, so the old file stays as it was.
    bool Written = F.open(QIODevice::WriteOnly) &&
                   F.write(reinterpret_cast<const char*>(Bytes.data()),
                           static_cast<qint64>(Bytes.size())) == static_cast<qint64>(Bytes.size()) &&
                   F.flush();
    if (!Written || !F.commit()) {
        if (!Written) F.cancelWriting();
        R.Code = DocumentError::WriteError;
    }
    return R;
}
