// The main window's arrangement: every control below the menu bar keeps its
// place, size and visibility, compared against the stored list
// tests/data/ui/frm_main_geometry.txt. VARNO_WRITE_GEOMETRY=<file> writes the
// list the window has now (to review a deliberate change of the arrangement).
#include <gtest/gtest.h>

#include <QFile>
#include <QWidget>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "ui/frm_main.h"
#include "ui_test_support.h"

namespace varno::ui {
namespace {

// One line per widget below `root`, in creation order: its path of object
// names (class and sibling index where it has none), class, geometry within
// its parent, and whether it is shown within the window.
void Describe(const QWidget& root, const QWidget& w, const std::string& path,
              std::vector<std::string>& lines) {
  std::map<std::string, int> unnamed;
  for (QObject* o : w.children()) {
    auto* c = qobject_cast<QWidget*>(o);
    if (!c || c->isWindow()) continue;  // popups and dialogs have their own place
    std::string name = c->objectName().toStdString();
    const std::string cls = c->metaObject()->className();
    if (name.empty()) name = cls + "#" + std::to_string(unnamed[cls]++);
    const std::string p = path + "/" + name;
    const QRect g = c->geometry();
    lines.push_back(p + " " + cls + " " + std::to_string(g.x()) + "," + std::to_string(g.y()) +
                    " " + std::to_string(g.width()) + "x" + std::to_string(g.height()) +
                    (c->isVisibleTo(&root) ? " shown" : " hidden"));
    Describe(root, *c, p, lines);
  }
}

std::vector<std::string> ReadLines(const QString& path) {
  std::vector<std::string> lines;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return lines;
  while (!f.atEnd()) {
    const QByteArray l = f.readLine().trimmed();
    if (!l.isEmpty()) lines.push_back(l.toStdString());
  }
  return lines;
}

TEST(FrmMainGeometry, EveryControlKeepsItsPlace) {
  testing::LoadedMain loaded;
  ASSERT_TRUE(loaded.grid.ok());
  FrmMain& w = *loaded.window;
  w.show();
  QApplication::processEvents();
  QWidget* client = w.centralWidget();
  ASSERT_NE(client, nullptr);

  std::vector<std::string> lines;
  // The menu bar's height follows the font; the client area does not.
  lines.push_back("client " + std::to_string(client->width()) + "x" +
                  std::to_string(client->height()) + " window width " + std::to_string(w.width()) +
                  " height-menu " + std::to_string(w.height() - client->y()));
  Describe(w, *client, "client", lines);

  if (const char* out = std::getenv("VARNO_WRITE_GEOMETRY")) {
    QFile f(QString::fromLocal8Bit(out));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Text));
    for (const std::string& l : lines) f.write((l + "\n").c_str());
  }
  const std::vector<std::string> expected =
      ReadLines(QStringLiteral(VARNO_TEST_DATA "/ui/frm_main_geometry.txt"));
  ASSERT_FALSE(expected.empty());
  // Compared line by line so that a failure names the control.
  for (size_t i = 0; i < std::max(lines.size(), expected.size()); ++i) {
    EXPECT_EQ(i < lines.size() ? lines[i] : "(none)", i < expected.size() ? expected[i] : "(none)")
        << "line " << i + 1;
  }
}

}  // namespace
}  // namespace varno::ui
