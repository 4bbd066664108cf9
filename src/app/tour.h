#pragma once
// The tour: a built-in scenario over the demo data that shows the screen at work and leaves its
// pictures behind.

#include <QString>

namespace app {

QString tourScript();

}  // namespace app
