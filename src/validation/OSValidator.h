#pragma once
// COSValidator: identifies the running Windows and applies the package's [OS] rules.
// Reach it through OsValidator().
#include <string>

class COSValidator {
public:
    virtual ~COSValidator() = default;

    void SetPropertiesPath(const std::wstring& path) { m_propertiesPath = path; }
    const std::wstring& GetPropertiesPath() const { return m_propertiesPath; }

protected:
    std::wstring m_propertiesPath;
};
