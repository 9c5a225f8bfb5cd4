#include "platform/core/TQMessage.h"

namespace {
TMessageRecorder& DefaultRecorder() {
    static TMessageRecorder recorder;
    return recorder;
}
TMessageBoxes* gBoxes = nullptr;
TMessageByIdHandler gByIdHandler;
} // namespace

TMessageResult TMessageRecorder::Show(const TMessageRequest& request) {
    shown.push_back(request);
    if (!answers.empty()) {
        TMessageResult r = answers.front();
        answers.pop_front();
        return r;
    }
    return {request.buttons == mbOK ? mrOk : mrYes, false};
}

TMessageBoxes& MessageBoxes() { return gBoxes ? *gBoxes : DefaultRecorder(); }

void SetMessageBoxes(TMessageBoxes* boxes) { gBoxes = boxes; }

void SetMessageByIdHandler(TMessageByIdHandler handler) { gByIdHandler = std::move(handler); }

int MessageById(TMsgButtons buttons, int id, const std::string& extra, TMsgKind kind) {
    if (gByIdHandler)
        return gByIdHandler(buttons, id, extra, kind);
    TMessageRequest req;
    req.kind = kind;
    req.buttons = buttons;
    req.caption = std::to_string(id);
    req.text = std::to_string(id) + extra;
    req.id = id;
    return MessageBoxes().Show(req).modalResult;
}
