#pragma once
// Views of the spot lists, the search results and the user list: one column, fixed-pitch
// font, whole-row selection.
#include <QListView>
#include <QTableView>

namespace varnak {

class SpotListModel;
class SearchResultsModel;
class UserListModel;

// One spot list on its notebook page. It selects and shows the row the program selects
// (the newest spot), and reports mouse presses so the window can freeze the lists and
// look the row up.
class SpotListView : public QListView {
  Q_OBJECT
 public:
  explicit SpotListView(SpotListModel* model, QWidget* parent = nullptr);
  SpotListModel* spotModel() const { return model_; }

 signals:
  // Any mouse button pressed on a row; text is the row as stored (Windows-1252 bytes
  // in a QByteArray, ready for the lookup).
  void rowPressed(int row, const QByteArray& text, Qt::MouseButton button);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void FollowSelectedRow(int row);
  SpotListModel* model_;
};

class SearchResultsView : public QListView {
  Q_OBJECT
 public:
  explicit SearchResultsView(SearchResultsModel* model, QWidget* parent = nullptr);
};

// The users list with its header cell "Local users".
class UserListView : public QTableView {
  Q_OBJECT
 public:
  explicit UserListView(UserListModel* model, QWidget* parent = nullptr);
};

}  // namespace varnak
