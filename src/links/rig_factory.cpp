#include "links/rig_factory.h"

#include "links/rigctld_client.h"

namespace varnak {

std::unique_ptr<RigControl> MakeRigControl(QObject* parent) { return std::make_unique<RigctldClient>(parent); }

}  // namespace varnak
