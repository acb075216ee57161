#include "ui_support/dialog_screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "codec/cp932.h"
#include "state/module_state.h"
#include "text/version.h"
#include "ui/frm_file.h"
#include "ui/frm_format.h"
#include "ui/frm_in_file.h"
#include "ui/frm_main.h"
#include "ui/frm_out_file.h"
#include "ui/frm_printer.h"
#include "ui/message_service.h"
#include "ui/print_result.h"

namespace varno::ui {

namespace {

// Answers the file dialogs with the sample files.
class SampleFiles : public FileChooser {
 public:
  SampleFiles(std::string in, std::string out) : in_(std::move(in)), out_(std::move(out)) {}
  std::optional<std::string> ChooseInput(QWidget*, const std::string&) override { return in_; }
  std::optional<std::string> ChooseResult(QWidget*, const std::string&,
                                          const std::string&) override {
    return out_;
  }

 private:
  std::string in_, out_;
};

constexpr const char* kSample =
    "# 　X(m)　　　　 Y(m)　　H(m)  　 点名\r\n"
    "193524.0771 34235.1330 123.4560 剣岳\r\n"
    "51393.9627 67365.0402    123.456   範囲外\r\n"
    "47867.6425 -3939.3856    34.460   マイナス\r\n";

}  // namespace

bool SaveScreenshot(QWidget& w, const QDir& dir, const char* name) {
  w.show();
  QApplication::processEvents();
  const QString path = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
  const bool ok = w.grab().save(path);
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "cannot write",
               path.toLocal8Bit().constData());
  return ok;
}

bool RenderDialogScreenshots(const QString& dirPath, ModuleState& state, FrmMain& main) {
  const QDir dir(dirPath);
  bool ok = true;
  QTemporaryDir tmp;
  const std::string in = U8(tmp.filePath(QStringLiteral("pts.in")));
  const std::string out = U8(tmp.filePath(QStringLiteral("pts.out")));
  {
    QFile f(Q(in));
    const std::string bytes = Utf8ToCp932(kSample);
    ok &=
        f.open(QIODevice::WriteOnly) && f.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                                            static_cast<qint64>(bytes.size());
  }

  FrmFile frmFile(state, main.zoneItems(), main, main.messages());
  frmFile.SetFileChooser(std::make_unique<SampleFiles>(in, out));
  frmFile.Open();
  ok &= SaveScreenshot(frmFile, dir, "frmFile");
  const auto button = [&frmFile](const char* name) {
    return frmFile.findChild<QAbstractButton*>(QLatin1String(name));
  };
  button("chkDispFile")->setChecked(true);
  button("chkInValue")->setChecked(true);
  // The input editor is modal; here it is only shown, for the picture.
  frmFile.inFileView().showModal = [](QDialog& d) { d.show(); };
  button("cmdOpenInFile")->click();
  ok &= SaveScreenshot(frmFile.inFileView(), dir, "frmInFile");
  frmFile.inFileView().close();
  button("cmdOpenOutFile")->click();
  ok &= SaveScreenshot(frmFile, dir, "frmFile_chosen");
  button("cmdStart")->click();
  ok &= SaveScreenshot(frmFile, dir, "frmFile_done");
  ok &= SaveScreenshot(frmFile.outFileView(), dir, "frmOutFile");
  frmFile.outFileView().close();
  button("cmdExp")->click();
  ok &= SaveScreenshot(frmFile.formatView(), dir, "frmFormat");
  frmFile.formatView().hide();
  frmFile.hide();

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = dir.filePath(QStringLiteral("result_page.pdf"));
  printer.setOutputFileName(pdf);
  const bool printed = PrintResult(ReadPrintFields(main, state), main.messages(), printer);
  std::fprintf(printed ? stdout : stderr, "%s %s\n", printed ? "wrote" : "cannot write",
               pdf.toLocal8Bit().constData());
  return ok && printed;
}

}  // namespace varno::ui

namespace varno::ui {

bool RenderStandardDialogs(const QString& dirPath, FrmMain& main) {
  const QDir dir(dirPath);
  bool ok = true;
  if (FrmPrinter* setup = main.ShowPrinterSetup()) {
    ok &= SaveScreenshot(*setup, dir, "frmPrinter");
    setup->reject();
  }
  {
    QMessageBox box(QMessageBox::Question, Q(kProgramTitle), QStringLiteral("標準ボタンの表示"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, &main);
    ok &= SaveScreenshot(box, dir, "qtMessageBox");
  }
  {
    QFileDialog files(&main);
    files.setOption(QFileDialog::DontUseNativeDialog, true);
    ok &= SaveScreenshot(files, dir, "qtFileDialog");
  }
  {
    QPrinter printer;
    QPrintDialog print(&printer, &main);
    ok &= SaveScreenshot(print, dir, "qtPrintDialog");
  }
  {
    std::unique_ptr<QMenu> menu(
        main.findChild<QLineEdit*>(QStringLiteral("txtName"))->createStandardContextMenu());
    ok &= SaveScreenshot(*menu, dir, "qtContextMenu");
  }
  return ok;
}

}  // namespace varno::ui
