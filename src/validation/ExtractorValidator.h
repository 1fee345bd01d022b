#pragma once
// CExtractorValidator: the process-wide validation object (extraction path, free space, setup
// language, license files, part files and integrity). Reach it through Validator().
#include <string>

class CExtractorValidator {
public:
    virtual ~CExtractorValidator() = default;

    void SetPropertiesPath(const std::wstring& path) { m_propertiesPath = path; }
    const std::wstring& GetPropertiesPath() const { return m_propertiesPath; }

    // Composes the message for an OS verdict (300/301/302) in `language`, stores it as the settings
    // object's finish message (empty for 300) and returns the verdict. The third argument is not
    // read; a non-zero `logFlag` logs the message. (Implemented in OSMessages.cpp.)
    int CheckOS(int verdict, int language, int unused, int logFlag);

protected:
    std::wstring m_propertiesPath;
};
