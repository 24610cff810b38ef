#include "CVantorDoc.h"

#include "CInfomation.h"
#include "model/UiServices.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace
{

std::string ToLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool IsPhotoPath(const std::string& path)
{
    const std::string lower = ToLower(path);
    return lower.find(".bmp") != std::string::npos || lower.find(".jpg") != std::string::npos ||
           lower.find(".jpeg") != std::string::npos;
}

} // namespace

CVantorDoc::CVantorDoc()
{
    if (theInfomation)
        theInfomation->SetPhoto(&m_photo);
}

CVantorDoc::~CVantorDoc()
{
    if (theInfomation && theInfomation->GetPhoto() == &m_photo) {
        theInfomation->SetPhoto(nullptr);
        theInfomation->SetPhotoSize(0, 0);
    }
}

void CVantorDoc::UpdateAllViews()
{
    if (m_photoChanged)
        m_photoChanged();
}

bool CVantorDoc::PromptPhotoFile(std::string& path)
{
    FilePrompt prompt;
    prompt.title = kPhotoPromptTitle;
    prompt.filters = {{"bmp files(*.bmp)", "*.bmp"}, {"jpeg files(*.jpeg|*.jpg)", "*.jpg;*.jpeg"}};
    prompt.defaultExtension = ".bmp";
    prompt.save = false;
    prompt.path = path;
    if (!UiServices::Current().PromptFile(prompt))
        return false;
    path = prompt.path;
    return true;
}

bool CVantorDoc::OnOpenBackgroundPhoto()
{
    std::string path;
    if (!PromptPhotoFile(path))
        return false;
    OnClosePhoto();
    return OpenFile(path);
}

bool CVantorDoc::OpenFile(const std::string& path)
{
    {
        std::ifstream probe(path, std::ios::binary);
        if (!probe) {
            UiServices::Current().MessageBox("Cannot open the file \"" + path + "\".");
            return false;
        }
    }

    if (IsPhotoPath(path)) {
        if (m_photo.HasImage())
            OnClosePhoto();
        if (!m_photo.Load(path))
            return false;
        if (theInfomation) {
            theInfomation->SetPhotoSize(m_photo.GetPixelWidth(), m_photo.GetPixelHeight());
            theInfomation->SetPhoto(&m_photo);
        }
        UpdateAllViews();
        return true;
    }

    if (!m_photo.IsLoaded()) {
        UiServices::Current().MessageBox(kNoPhotoMessage);
        return false;
    }
    UiServices::Current().MessageBox("Board files cannot be opened in this version of Vantor: \"" +
                                     path + "\" was not read.");
    return false;
}

void CVantorDoc::OnClosePhoto()
{
    m_photo.Release();
    if (theInfomation)
        theInfomation->SetPhotoSize(0, 0);
    UpdateAllViews();
}
