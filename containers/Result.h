#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

/// Where a failure happened, as far as the code that met it knows: the file, the record (chunk
/// type and id) and the byte offset (in the file, or in the record's data when a record is named).
/// Each part is empty when unknown.
struct CFailurePlace
{
    std::string file;
    std::optional<std::uint32_t> type;
    std::optional<std::uint16_t> id;
    std::optional<std::uint64_t> offset;

    bool operator==(const CFailurePlace&) const = default;
};

/// One failure. `what` is a word of one failure vocabulary: an enum class such as EIffRead or
/// ERecordFault, which has one function per front end that turns it into the user's words, and
/// whose zero word (Ok, None) says that nothing failed.
/// `value` is the number that word names (a format code, a version, a limit), `detail` the words
/// of the system or of a tool that failed below us (an errno text, Graphviz's message), and
/// `where` the place.
template <class E>
struct CFailure
{
    E what{};
    std::uint64_t value = 0;
    std::string detail;
    CFailurePlace where;

    CFailure() = default;
    CFailure(E what_, std::uint64_t value_ = 0, std::string detail_ = {})
        : what(what_), value(value_), detail(std::move(detail_))
    {
    }

    /// True when something failed: `what` is not the vocabulary's zero word.
    explicit operator bool() const { return what != E{}; }

    /// The same failure, placed in a record.
    CFailure InRecord(std::uint32_t type, std::uint16_t id) &&
    {
        where.type = type;
        where.id = id;
        return std::move(*this);
    }
    /// The same failure, placed at a byte offset.
    CFailure AtOffset(std::uint64_t offset) &&
    {
        where.offset = offset;
        return std::move(*this);
    }
    /// The same failure, placed in a file.
    CFailure InFile(std::string file) &&
    {
        where.file = std::move(file);
        return std::move(*this);
    }

    bool operator==(const CFailure&) const = default;
};

/// Makes a failure of vocabulary E; the start of `return Fail(ERecordFault::Damaged).AtOffset(p);`.
template <class E>
CFailure<E> Fail(E what, std::uint64_t value = 0, std::string detail = {})
{
    return CFailure<E>(what, value, std::move(detail));
}

/// A value, or the failure that kept it from being made; never both. A result must be looked at:
/// it converts to true when it holds a value. The program throws nothing of its own, so every
/// failure of ours travels this way.
template <class T, class E>
class [[nodiscard]] CResult
{
public:
    CResult(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    CResult(CFailure<E> failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool Ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return Ok(); }

    /// The value; only when Ok().
    T& Value() & { return std::get<0>(m_state); }
    const T& Value() const& { return std::get<0>(m_state); }
    T&& Value() && { return std::get<0>(std::move(m_state)); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }

    /// The failure; only when not Ok().
    const CFailure<E>& Failure() const { return std::get<1>(m_state); }
    CFailure<E>& Failure() { return std::get<1>(m_state); }

private:
    std::variant<T, CFailure<E>> m_state;
};

/// The result of an operation that makes no value: done, or the failure.
template <class E>
class [[nodiscard]] CResult<void, E>
{
public:
    CResult() = default;
    CResult(CFailure<E> failure) : m_failure(std::move(failure)) {}

    bool Ok() const { return !m_failure.has_value(); }
    explicit operator bool() const { return Ok(); }

    /// The failure; only when not Ok().
    const CFailure<E>& Failure() const { return *m_failure; }
    CFailure<E>& Failure() { return *m_failure; }

private:
    std::optional<CFailure<E>> m_failure;
};

/// Done or failed, with no value.
template <class E>
using CStatus = CResult<void, E>;
