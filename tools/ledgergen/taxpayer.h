#pragma once

#include <string>
#include <vector>

namespace ledgergen {

struct Address
{
    std::string building;
    std::string street;
    std::string street2;
    std::string city;
    std::string zip;
    std::string country;
};

struct Accountant
{
    std::string name;
    Address address;
    std::string engagement; // contract type, date and number
    std::string phone;
    std::string fax;
    std::string email;
};

// The fictional taxpayer whose month is written: everything the header of every file repeats.
struct Taxpayer
{
    bool person = false;
    std::string id;         // 10-digit VKN or 11-digit TCKN, with valid check digits
    std::string name;       // Kurum Unvanı or Adı Soyadı
    std::string nameDative; // the name with its dative suffix, for "… arası X'e ait …"
    std::string phone;
    std::string fax; // empty: none (the element is optional)
    std::string email;
    std::string web;
    Address address;
    std::string nace;
    std::string branchNo; // empty: no branch
    std::string branchName;
    std::string invoiceSeries;
    std::string certificateSubject;
    std::string certificateIssuer;
    std::string sourceApplication;
    std::vector<std::string> clerks; // who enters the entries
    Accountant accountant;
};

Taxpayer makeTaxpayer(bool person, bool branch, int fiscalYear);

// Check digits as the Revenue Administration and the population register compute them.
std::string withVknCheckDigit(const std::string& nineDigits);
std::string withTcknCheckDigits(const std::string& nineDigits);

} // namespace ledgergen
