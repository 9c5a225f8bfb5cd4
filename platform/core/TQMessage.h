#pragma once
// Message boxes.
//
// TMessageBoxes is the one interface through which the program asks the user
// something: the Qt dialog in the program, TMessageRecorder in tests.
//
// Layers below the language object (the score model, the file readers) report by
// string id through MessageById; the language object installs the handler that
// turns an id into caption and text. Without a handler the request goes to the
// installed TMessageBoxes with the id as text, so nothing is ever lost silently.
#include <deque>
#include <functional>
#include <string>
#include <vector>

enum TMsgKind { mkWarning = 0, mkError = 1, mkInformation = 2, mkConfirmation = 3 };
enum TMsgButtons { mbOK = 0, mbYesNo = 1, mbYesNoCancel = 2 };
// Modal results, as the Windows dialogs return them.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

struct TMessageRequest {
    TMsgKind kind = mkInformation;
    TMsgButtons buttons = mbOK;
    std::string caption;      // UTF-8
    std::string text;         // UTF-8
    std::string dontShowText; // non-empty: the box has a "don't show again" check box
    int id = 0;               // string id, when the box speaks by id
};

struct TMessageResult {
    int modalResult = mrOk;
    bool dontShow = false; // state of the check box
};

class TMessageBoxes {
public:
    virtual ~TMessageBoxes() = default;
    virtual TMessageResult Show(const TMessageRequest& request) = 0;
};

// Records every box and answers from a queue (mrOk / mrYes by default).
class TMessageRecorder : public TMessageBoxes {
public:
    TMessageResult Show(const TMessageRequest& request) override;
    std::vector<TMessageRequest> shown;
    std::deque<TMessageResult> answers;
    void Answer(int modalResult, bool dontShow = false) { answers.push_back({modalResult, dontShow}); }
    void Clear() { shown.clear(); answers.clear(); }
};

// The installed message boxes (a recorder until the program installs its dialog).
TMessageBoxes& MessageBoxes();
void SetMessageBoxes(TMessageBoxes* boxes); // nullptr: back to the built-in recorder

// Message by string id: buttons, id, extra text appended to the string, kind.
using TMessageByIdHandler =
    std::function<int(TMsgButtons buttons, int id, const std::string& extra, TMsgKind kind)>;
void SetMessageByIdHandler(TMessageByIdHandler handler);
int MessageById(TMsgButtons buttons, int id, const std::string& extra, TMsgKind kind);
inline int MessageOkById(int id, const std::string& extra, TMsgKind kind) {
    return MessageById(mbOK, id, extra, kind);
}
inline int MessageYesNoById(int id, const std::string& extra, TMsgKind kind) {
    return MessageById(mbYesNo, id, extra, kind);
}
