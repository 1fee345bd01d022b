#pragma once
// CExtractorValidator: the process-wide validation object (extraction path, free space, setup
// language, license files, part files and integrity). Reach it through Validator().
#include <string>

class CExtractorValidator {
public:
    virtual ~CExtractorValidator() = default;

    void SetPropertiesPath(const std::wstring& path) { m_propertiesPath = path; }
    const std::wstring& GetPropertiesPath() const { return m_propertiesPath; }

protected:
    std::wstring m_propertiesPath;
};
