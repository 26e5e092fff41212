// A document host for tests: records the messages a load shows and answers questions from a
// script (No when the script is empty).
#pragma once

#include "core/image/document_host.h"
#include "core/image/image_document.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace orv::formats_test {

struct TRecordedMessage {
    TMsgKind Kind;
    TButtons Buttons;
    std::string Text;
};

class TRecordingHost : public TDocumentHost {
  public:
    std::vector<TRecordedMessage> Messages;
    std::deque<TAnswer> Answers;

    TAnswer Message(TMsgKind kind, TButtons buttons, const std::string& text) override {
        Messages.push_back({kind, buttons, text});
        if (buttons == TButtons::Ok) return TAnswer::Ok;
        if (Answers.empty()) return TAnswer::No;
        const TAnswer a = Answers.front();
        Answers.pop_front();
        return a;
    }
};

// The state of a document that was never loaded (what every refusal must leave).
inline bool IsEmptyDocument(const TImageDocument& doc) {
    return doc.Kind == kKindEmpty && doc.PixelType == kPixelNone && doc.PixelStore.empty() &&
           doc.DisplayStream.empty() && doc.FileName.empty() && doc.Caption == "Image :" &&
           doc.CommentLines.empty() && doc.SecondPlane.empty();
}

// A load refused with one box holding the message and "Ouverture annulée", the document empty.
inline void ExpectRefusal(TLoadResult result, const TRecordingHost& host, const TImageDocument& doc,
                          const std::string& message) {
    EXPECT_EQ(result, TLoadResult::Refused);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].Text, message + "\nOuverture annulée");
    EXPECT_TRUE(IsEmptyDocument(doc));
}

} // namespace orv::formats_test
