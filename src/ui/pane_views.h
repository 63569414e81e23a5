#pragma once
// Views of the line panes: the cluster text pane (one colour per line) and the talk
// pane. They follow the model line by line - an appended line adds one block, a removed
// first line drops one block - so a busy cluster never makes the pane lay out all of
// its text again. Changes are gathered and applied in one edit at most ten times a
// second: a burst of fifty lines costs one update, not fifty.
#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QHash>

class QAbstractItemModel;

namespace varnak {

class ClusterTextModel;
class Throttle;
class TalkModel;

// A read-only pane of the lines of a list model: Qt::DisplayRole is the text,
// Qt::ForegroundRole (when given) its colour.
class LinePaneView : public QPlainTextEdit {
  Q_OBJECT
 public:
  // followEnd: the view always moves to the newest line; otherwise only when it was
  // showing the end already, so an operator reading back is not pulled away.
  LinePaneView(QAbstractItemModel* model, bool followEnd, QWidget* parent = nullptr);
  QAbstractItemModel* model() const { return model_; }
  // Applies the gathered changes now (the event loop does it otherwise).
  void Sync();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void Rebuild();
  void LinesInserted(int first, int last);
  void LinesRemoved(int first, int last);
  void Schedule();
  QTextCharFormat FormatOf(int row);
  void AppendBlock(int row, QTextCursor& cursor);
  void FollowEnd(bool wasAtEnd);
  bool AtEnd() const;

  QAbstractItemModel* model_;
  bool followEnd_;
  bool empty_ = true;  // the document's one block stands for no line yet
  Throttle* throttle_;
  bool rebuild_ = false;
  int appended_ = 0;      // lines added at the end since the last update
  int removedFront_ = 0;  // lines taken from the start since the last update
  QHash<QRgb, QTextCharFormat> formats_;
};

class ClusterTextView : public LinePaneView {
  Q_OBJECT
 public:
  explicit ClusterTextView(ClusterTextModel* model, QWidget* parent = nullptr);
};

class TalkView : public LinePaneView {
  Q_OBJECT
 public:
  explicit TalkView(TalkModel* model, QWidget* parent = nullptr);
};

// The fixed-pitch font of the lists and panes.
QFont FixedPitchFont();

}  // namespace varnak
