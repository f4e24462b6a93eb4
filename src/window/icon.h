#pragma once

#include <QIcon>

// The program's icon, painted at the usual sizes: a vibration trace over a
// threshold line on a dark tile.
QIcon sismavueIcon();
