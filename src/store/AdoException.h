// The access layer's failure.

#pragma once

#include <exception>

// A failure of the database access layer. Every data-store operation catches it, releases its
// lock and returns its failure value; nothing above the data store sees it.
class CAdoException : public std::exception {
public:
    enum Code {
        ConversionFailed = -11, // a field read as a type its value cannot become
        RecordsetNotCreated = -12,
        OpenFailed = -13,
        ValueRefused = -15,
        ValueNotDelivered = -16,
        UpdateRefused = -18,
    };

    explicit CAdoException(int code) : code_(code) {}

    int Code() const { return code_; }
    const char* what() const noexcept override { return "CAdoException"; }

private:
    int code_;
};

#define THROW_ADO(code) throw CAdoException(code)
