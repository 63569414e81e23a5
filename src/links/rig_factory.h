#pragma once
// The rig link the program talks to the radio through. The one place that chooses the
// kind of link: today Hamlib's rigctld, whose protocol is known only to its client.
#include <QObject>
#include <memory>

#include "links/rig_control.h"

namespace varnak {

std::unique_ptr<RigControl> MakeRigControl(QObject* parent = nullptr);

}  // namespace varnak
