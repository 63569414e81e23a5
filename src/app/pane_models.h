#pragma once
// The text panes and the user list as item models, so the classifier can fill them
// without a window and the views only show what is there.
#include <QAbstractListModel>
#include <QColor>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/spot_model.h"

namespace varnak {

// A pane line longer than this is cut: a node sending noise must not leave panes and
// their files of megabytes.
inline constexpr size_t kPaneLineLimit = 2000;
// The text cut to kPaneLineLimit bytes; a UTF-8 line is cut before a whole letter.
std::string_view CutPaneLine(std::string_view text);

// Colours of the cluster text pane.
namespace pane_colour {
inline constexpr QRgb kBlack = 0xFF000000;
inline constexpr QRgb kGrey = 0xFF808080;
inline constexpr QRgb kRed = 0xFFFF0000;
inline constexpr QRgb kGreen = 0xFF008000;
inline constexpr QRgb kBlue = 0xFF0000FF;
}  // namespace pane_colour

// The cluster text pane: one line per row, each in one colour (Qt::ForegroundRole).
class ClusterTextModel : public QAbstractListModel {
  Q_OBJECT
 public:
  static constexpr int kLineLimit = 1000;
  struct Line {
    std::string text;
    QRgb colour = pane_colour::kBlack;
  };

  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  void AddPaneLine(QRgb colour, std::string_view text);
  void RemoveFirstLine();
  void Clear();
  // Replaces the pane (loading "all.rtf").
  void SetLines(std::vector<Line> lines);
  // Deletes the text from (firstLine, firstColumn) up to (lastLine, lastColumn), as an
  // editor would: the rest of the last line joins the start of the first one.
  // Columns count bytes; a selection that ends past a line's end takes its line break.
  void DeleteText(int firstLine, int firstColumn, int lastLine, int lastColumn);
  // Line and column of a character position in the pane's text, lines joined by one
  // line break each (as the view shows them).
  std::pair<int, int> LineAndColumnAt(int position) const;
  int LineCount() const { return static_cast<int>(lines_.size()); }
  const std::deque<Line>& Lines() const { return lines_; }
  std::vector<std::string> Texts() const;

 private:
  std::deque<Line> lines_;
};

// A plain line pane: the talk pane (at most about 300 lines) and the search results.
class TextLinesModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  void AppendLine(std::string text);
  void RemoveFirstLine();
  void Clear();
  void SetLines(std::vector<std::string> lines);
  int LineCount() const { return static_cast<int>(lines_.size()); }
  const std::deque<std::string>& Lines() const { return lines_; }

 private:
  std::deque<std::string> lines_;
};

// Holds the talk lines as received and shows the DOS code-page letters of a line that
// is not UTF-8 as the same Windows letters.
class TalkModel : public TextLinesModel {
  Q_OBJECT
 public:
  static constexpr int kLineLimit = 300;
  using TextLinesModel::TextLinesModel;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

class SearchResultsModel : public TextLinesModel {
  Q_OBJECT
 public:
  using TextLinesModel::TextLinesModel;
};

// The connected users; the header ("Local users") is the model's horizontal header,
// the data rows are the model's rows.
class UserListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  void Add(std::string_view name);
  void Remove(std::string_view name);
  // Back to the header and one empty row.
  void Clear();
  const UserList& Users() const { return users_; }
  // The callsigns, without the header and empty rows.
  std::vector<std::string> Names() const;

 private:
  UserList users_;
};

class SpotListModel;

enum class SearchMode { Dx, Announce };

// Fills results with the rows of "All" (Dx) or the lines of the cluster text pane
// (Announce) that contain the text, case not regarded.
void SearchSpots(SearchMode mode, std::string_view text, const SpotListModel& all,
                 const ClusterTextModel& pane, SearchResultsModel& results);

}  // namespace varnak
