// A whole program for each window test: the windows in their start order with scripted
// dialogs, the main window shown, and helpers that put documents into image windows.
#pragma once

#include "core/base/bitmap.h"
#include "core/base/file_io.h"
#include "core/formats/fits_test_files.h"
#include "core/formats/fits_writer.h"
#include "core/formats/pic.h"
#include "core/image/image_document.h"
#include "scripted_dialogs.h"
#include "ui/image/form_image.h"
#include "ui/shell/form_main.h"
#include "ui/shell/program.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[' << l.join("|").toStdString() << ']';
}

namespace orv::ui::test {

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A 4 x 2 16-bit colour-filter mosaic of `pattern`, its values stored bottom row first, written
// as `name` in folder; its path.
inline QString WriteMosaic(const QTemporaryDir& folder, const char* pattern,
                           const std::vector<uint64_t>& values,
                           const QString& name = QStringLiteral("osc.fits")) {
    orv::test::TFitsBuilder mosaic;
    mosaic.Image(16, 4, 2).Str("BAYERPAT", pattern);
    mosaic.End().Blanks().BigEndian(values, 2).Zeros();
    const QString path = folder.filePath(name);
    WriteFile(path,
              QByteArray(reinterpret_cast<const char*>(mosaic.Bytes.data()), qsizetype(mosaic.Bytes.size())));
    return path;
}

// A 16-bit document whose value at stored row r, column x is r * 1000 + x.
inline TImageDocument Int16Document(const std::string& fileName, int32_t width, int32_t height,
                                    uint8_t kind = kKindFits) {
    TImageDocument doc;
    doc.Kind = kind;
    doc.PixelType = kPixelInt16;
    doc.ImageWidth = width;
    doc.ImageHeight = height;
    doc.PixelStore.resize(static_cast<size_t>(width) * height * 2);
    for (int32_t r = 0; r < height; ++r)
        for (int32_t x = 0; x < width; ++x) {
            const int16_t v = static_cast<int16_t>((r * 1000 + x) % 32000);
            std::memcpy(doc.PixelStore.data() + (static_cast<size_t>(r) * width + x) * 2, &v, 2);
        }
    doc.HighThreshold = 16383;
    doc.LowThreshold = 0;
    doc.FileName = fileName;
    doc.Header.Simple = true; // as a FITS reader leaves it
    doc.Header.Bitpix = 16;
    doc.Header.Naxis = 2;
    doc.Header.Naxis1 = width;
    doc.Header.Naxis2 = height;
    return doc;
}

// A bitmap document: a 24-bit picture, red on the left half.
inline TImageDocument BitmapDocument(const std::string& fileName, int32_t width, int32_t height) {
    TBitmap bitmap;
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.BitCount = 24;
    bitmap.Pixels.assign(static_cast<size_t>(width) * height * 3, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width / 2; ++x)
            bitmap.Pixels[(static_cast<size_t>(y) * width + x) * 3 + 2] = 255;
    TImageDocument doc;
    doc.Kind = kKindBmp;
    doc.DisplayStream = bitmap.ToBmpFile();
    std::memcpy(doc.BitmapHeader.data(), doc.DisplayStream.data(), 54);
    doc.FileName = fileName;
    doc.UpdateCaption(fileName, width, height);
    return doc;
}

// The program's windows are the fixture's own members, by the names the tests know them by
// (FormMain, FormSeuils, ...).
class ProgramTest : public ::testing::Test, protected TProgramWindows {
  protected:
    void SetUp() override {
        // Settings kept between sessions start empty for every test.
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, folder.filePath("settings"));
        StartProgram();
    }
    void StartProgram() {
        program_ = std::make_unique<TProgram>(dialogs);
        TakeWindows(program_->Windows());
        FormMain->resize(1024, 768);
        FormMain->show();
        FormMain->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(FormMain));
    }
    // The program ended and started again, as a new session: only the settings stay.
    void RestartProgram() {
        program_.reset();
        TakeWindows({});
        StartProgram();
    }
    void TearDown() override {
        program_.reset();
        TakeWindows({});
    }

    // A new image window holding the document, as a reader leaves it.
    TFormImage* Load(TImageDocument doc) {
        TFormImage* w = FormMain->CreateImageWindow();
        w->Document() = std::move(doc);
        w->PushThresholds(w->Document().HighThreshold, w->Document().LowThreshold);
        w->Render();
        w->ShowImage();
        w->UpdateImageTools();
        return w;
    }

    // The document written as a FITS file in the test folder, then opened as "Ouvrir" opens it.
    TFormImage* OpenFits(const QString& name, TImageDocument doc) {
        const std::string path = folder.filePath(name).toStdString();
        SaveFits(doc, path);
        FormMain->OpenFile(QString::fromStdString(path));
        return FormMain->ActiveMDIChild();
    }

    // A PIC file written from the document (a PIC document), then opened.
    TFormImage* OpenPic(const QString& name, TImageDocument doc) {
        const std::string path = folder.filePath(name).toStdString();
        doc.Kind = kKindPic;
        SavePic(doc, path);
        FormMain->OpenFile(QString::fromStdString(path));
        return FormMain->ActiveMDIChild();
    }

    // A 24-bit bitmap file (red on the left half), then opened.
    TFormImage* OpenBmp(const QString& name, int32_t width, int32_t height) {
        const std::string path = folder.filePath(name).toStdString();
        const TImageDocument doc = BitmapDocument(path, width, height);
        WriteFileAtomically(path, doc.DisplayStream);
        FormMain->OpenFile(QString::fromStdString(path));
        return FormMain->ActiveMDIChild();
    }

    // Enabled as the rules set it (a control inside a disabled group still counts as set).
    static bool Enabled(QObject* control) {
        if (auto* a = qobject_cast<QAction*>(control)) return a->isEnabled();
        auto* w = qobject_cast<QWidget*>(control);
        return w && !w->testAttribute(Qt::WA_Disabled);
    }
    static bool Enabled(QWidget* window, const char* name) {
        QObject* c = window->findChild<QObject*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c && Enabled(c);
    }

    TProgram& Program() { return *program_; }

    TScriptedDialogs dialogs;
    QTemporaryDir folder;

  private:
    void TakeWindows(const TProgramWindows& w) { static_cast<TProgramWindows&>(*this) = w; }

    std::unique_ptr<TProgram> program_;
};

} // namespace orv::ui::test
