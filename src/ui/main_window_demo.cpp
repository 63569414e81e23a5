#include <QCoreApplication>

#include "app/demo_session.h"
#include "app/win1252.h"
#include "telnet/telnet_cluster_link.h"
#include "ui/main_window.h"
#include "ui/main_window_demo.h"

namespace varnak {

void TForm1::AttachDemoNode(DemoNode* node) {
  demo_ = true;
  SetCaption("Varnak");
  SetStatus(StatLabel->text());
  connect(node, &DemoNode::Died, this, [this](const QString& why) {
    // It does not come back by itself: no tries to reconnect to it.
    station_->Control().Close();
    SetStatus("The practice node has stopped");
    station_->ClassifyLine("*** The practice node has stopped: " + FromQString(why) +
                           ". Start varnak --demo again to go on practising.");
  });
  // The node goes before the program ends, after the shutdown has said goodbye to it.
  connect(qApp, &QCoreApplication::aboutToQuit, node, &DemoNode::Stop);
}

}  // namespace varnak
