#include "ui/spot_list_views.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "app/pane_models.h"
#include "app/spot_lists.h"
#include "ui/pane_views.h"

namespace varnak {

namespace {

void SetUpList(QListView* view) {
  view->setFont(FixedPitchFont());
  view->setUniformItemSizes(true);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view->setWordWrap(false);
}

}  // namespace

SpotListView::SpotListView(SpotListModel* model, QWidget* parent) : QListView(parent), model_(model) {
  SetUpList(this);
  setModel(model);
  connect(model, &SpotListModel::selectedRowChanged, this, &SpotListView::FollowSelectedRow);
  FollowSelectedRow(model->SelectedRow());
}

void SpotListView::FollowSelectedRow(int row) {
  const QModelIndex index = model_->index(row, 0);
  if (!index.isValid()) return;
  setCurrentIndex(index);
  scrollTo(index);
}

void SpotListView::mousePressEvent(QMouseEvent* event) {
  QListView::mousePressEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  const std::string& text = model_->Row(index.row());
  emit rowPressed(index.row(), QByteArray(text.data(), static_cast<qsizetype>(text.size())), event->button());
}

SearchResultsView::SearchResultsView(SearchResultsModel* model, QWidget* parent) : QListView(parent) {
  SetUpList(this);
  setModel(model);
}

UserListView::UserListView(UserListModel* model, QWidget* parent) : QTableView(parent) {
  setModel(model);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->hide();
  horizontalHeader()->setStretchLastSection(true);
  setShowGrid(false);
}

}  // namespace varnak
