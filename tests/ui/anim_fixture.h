// Animation window tests: frames of one flat colour each, animated GIF files made of them,
// FITS series with observation times, and the builder's controls by name.
#pragma once

#include "core/anim/anim_save.h"
#include "core/anim/batch_selection.h"
#include "core/gif/gif_file.h"
#include "program_fixture.h"
#include "ui/anim/anim_thumbnail.h"
#include "ui/anim/form_anim2.h"
#include "ui/anim/form_cree_anim.h"
#include "ui/anim/form_ctrl_anim.h"
#include "ui/anim/form_select_lot.h"
#include "ui/anim/form_suivi.h"
#include "ui/anim/form_zone.h"
#include "ui/image/image_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <string>
#include <vector>

namespace orv::ui::test {

// A 24-bit picture of one colour.
inline TBitmap FlatBitmap(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b) {
    TBitmap bitmap;
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.BitCount = 24;
    bitmap.Pixels.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < bitmap.Pixels.size(); i += 3) {
        bitmap.Pixels[i] = b;
        bitmap.Pixels[i + 1] = g;
        bitmap.Pixels[i + 2] = r;
    }
    return bitmap;
}

// Distinct colours: frame i is told apart by its red level.
inline uint8_t FrameRed(size_t i) {
    return static_cast<uint8_t>(40 + 50 * i);
}

class AnimationTest : public ProgramTest {
  protected:
    TAnimBuilder& Builder() { return FormCreeAnim->Builder; }

    // An animated GIF of frames 24 x 16 with the given delays.
    QString WriteGif(const QString& name, const std::vector<uint16_t>& delays) {
        std::vector<TAnimImg> frames;
        for (size_t i = 0; i < delays.size(); ++i) {
            TAnimImg f;
            f.SetBitmap(FlatBitmap(24, 16, FrameRed(i), 0, 0));
            f.SetName("f" + std::to_string(i));
            f.SetDelay(delays[i]);
            frames.push_back(std::move(f));
        }
        const QString path = folder.filePath(name);
        TProgress progress;
        SaveAnimation(frames, path.toStdString(), progress);
        return path;
    }

    // A FITS file in the test folder observed at the given time.
    void WriteFits(const QString& name, const std::string& time, int32_t width = 20) {
        TImageDocument doc = Int16Document(folder.filePath(name).toStdString(), width, 10);
        doc.Header.TimeBeg = time;
        SaveFits(doc, folder.filePath(name).toStdString());
    }

    // The batch tool's next use: these entries of the test folder chosen, then OK.
    void ChooseBatch(const std::vector<std::string>& names) {
        std::vector<std::string> list;
        for (const std::string& n : names)
            InsertSorted(list, n);
        dialogs.ExecActions.enqueue([this, list](QDialog&) {
            FormSelectLot->SetDirectory(folder.path());
            FormSelectLot->SetSelection(list);
        });
        dialogs.ExecResults.enqueue(QDialog::Accepted);
    }

    std::vector<std::string> FrameNames() {
        std::vector<std::string> names;
        for (const TAnimImg& f : Builder().Frames)
            names.push_back(f.Name);
        return names;
    }
    QStringList Captions() {
        QStringList out;
        for (QLabel* l : FormCreeAnim->Captions)
            out << l->text();
        return out;
    }
    // The red level of the picture the player shows.
    int ShownRed() { return qRed(FormAnim2->Image1->pixmap().toImage().pixel(0, 0)); }
    void Click(int slot) { FormCreeAnim->ImageMouseDown(slot); }
};

} // namespace orv::ui::test
