// Fonts by the names the layout is drawn with. Arial, Times New Roman and Courier New resolve
// to their metric-compatible Liberation faces through fontconfig; the stand-in is named as well
// for systems where that alias is missing.
#pragma once

#include <QFont>
#include <QString>

inline QFont NamedFont(const QString& Family, const QString& StandIn, int Pixels, bool Bold) {
    QFont F;
    F.setFamilies({Family, StandIn});
    F.setPixelSize(Pixels);
    F.setBold(Bold);
    return F;
}
