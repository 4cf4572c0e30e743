#pragma once
#include <QString>

namespace resources {
// Resource paths of the program's pictures.
inline const QString kCopyIcon = QStringLiteral(":/tintra/copy.xpm");
} // namespace resources
