#pragma once

#include "framework/ExchangeDialog.h"
#include "records/RecordEditing.h"

#include <cstdint>
#include <string>

class CIffFile;

/// Asks for the chunk name and id of a new, duplicated or renamed record. OK checks the name (63
/// windows-1252 characters at most) and the id (decimal or 0x hexadecimal, free and within the
/// range the game expects for the kind); the record's own id is always accepted on renaming. On
/// renaming a record that the file refers to, a box (on) says how many references follow a new id;
/// cleared, they are left as they are.
class CRecordNameDlg : public CExchangeDialog
{
public:
    CRecordNameDlg(wxWindow* parent, const wxString& title, const CIffFile& container, ERecordKind kind,
                   const std::string& name, std::uint16_t id, std::optional<std::uint16_t> ownId = std::nullopt);

    /// The name as windows-1252 bytes and the id, after OK.
    const std::string& Name() const { return m_nameBytes; }
    std::uint16_t Id() const { return m_id; }
    /// Whether the references follow a new id.
    bool FollowReferences() const { return m_follow != 0; }

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    const CIffFile& m_container;
    ERecordKind m_kind;
    std::optional<std::uint16_t> m_ownId;
    wxString m_name;
    wxString m_idText;
    std::string m_nameBytes;
    std::uint16_t m_id;
    int m_follow = 1;
};
