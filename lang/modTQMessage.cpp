#include "lang/modTQMessage.h"

#include <filesystem>

#include "lang/modTQLanguage.h"

int KindCaptionId(TMsgKind kind) {
    switch (kind) {
    case mkWarning: return 1048;
    case mkError: return 1051;
    case mkInformation: return 1049;
    case mkConfirmation: return 1050;
    }
    return 1048;
}

int KindIconPage(TMsgKind kind) {
    switch (kind) {
    case mkWarning: return 0;
    case mkError: return 3;
    case mkInformation: return 2;
    case mkConfirmation: return 1;
    }
    return 0;
}

void InstallMessageByIdHandler() {
    SetMessageByIdHandler([](TMsgButtons buttons, int id, const std::string& extra, TMsgKind kind) {
        switch (buttons) {
        case mbYesNo: return Language->MessageYesNo(id, extra, kind);
        case mbYesNoCancel: return Language->MessageYesNoCancel(id, extra, kind);
        case mbOK: break;
        }
        return Language->MessageOk(id, extra, kind);
    });
}

TMessageRequest TLanguage::BuildMessageForm(int id, const std::string& extra, TMsgKind kind, TMsgButtons buttons,
                                           bool withCheckBox, int dontShowId) const {
    TMessageRequest req;
    req.kind = kind;
    req.buttons = buttons;
    req.id = id;
    req.caption = GetString(KindCaptionId(kind));
    if (id < 1) {
        req.text = extra;
    } else {
        req.caption += " - " + std::to_string(id);
        req.text = GetString(id) + extra;
    }
    if (withCheckBox) {
        req.dontShowText = GetString(dontShowId == 0 ? kDontShowAgainId : dontShowId);
        // The box is there whenever the caller asks for it; without a string
        // table it keeps the form's own text.
        if (req.dontShowText.empty())
            req.dontShowText = "Do not show this again";
    }
    return req;
}

int TLanguage::RunMessageForm(const TMessageRequest& request, bool* dontShow) {
    TMessageResult r = MessageBoxes().Show(request);
    if (dontShow && r.dontShow)
        *dontShow = true;
    // The OK button of a one-button box is the Yes button.
    if (r.modalResult == mrOk)
        return mrYes;
    return r.modalResult;
}

int TLanguage::MessageYesNoCancel(int id, const std::string& extra, TMsgKind kind, bool* dontShow,
                                  int dontShowId) {
    return RunMessageForm(BuildMessageForm(id, extra, kind, mbYesNoCancel, dontShow != nullptr, dontShowId),
                      dontShow);
}

int TLanguage::MessageYesNo(int id, const std::string& extra, TMsgKind kind, bool* dontShow,
                            int dontShowId) {
    return RunMessageForm(BuildMessageForm(id, extra, kind, mbYesNo, dontShow != nullptr, dontShowId),
                      dontShow);
}

int TLanguage::MessageOk(int id, const std::string& extra, TMsgKind kind, bool* dontShow, int dontShowId) {
    return RunMessageForm(BuildMessageForm(id, extra, kind, mbOK, dontShow != nullptr, dontShowId), dontShow);
}

bool TLanguage::ConfirmOverwrite(const std::string& fileName, const std::string& defaultExt) {
    if (fileName.empty())
        return true;
    std::filesystem::path p(fileName);
    std::string name = fileName;
    if (p.extension().empty() && !defaultExt.empty())
        name += "." + defaultExt;
    std::error_code ec;
    auto st = std::filesystem::status(name, ec);
    if (ec || !std::filesystem::exists(st) || std::filesystem::is_directory(st))
        return true;
    return MessageYesNoCancel(kOverwriteQuestionId, "", mkWarning) == mrYes;
}
