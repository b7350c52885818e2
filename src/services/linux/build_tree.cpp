#include "services/linux/build_tree.h"

#include <QFileInfo>

namespace inkwarden {

bool runsFromBuildTree(const QString& executablePath) {
    const QString folder = QFileInfo(executablePath).canonicalPath();
    return !folder.isEmpty() &&
           folder == QFileInfo(QStringLiteral(INKWARDEN_BUILD_PROGRAM_FOLDER)).canonicalFilePath();
}

} // namespace inkwarden
