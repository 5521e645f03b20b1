#pragma once

#include "data/SqlCipherConnection.h"
#include "data/uLoadDll.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// What `veltrano-bank check` finds wrong with a question bank.
enum class CheckProblem {
    PictureLibrary, // the question picture library could not be loaded
    NoPaper,        // the exam's count query fails for a car type and area
    PaperSize,      // the chapter counts do not give a paper of 100 questions
    FewQuestions,   // a chapter has fewer questions of a form than a paper draws
    LowHeadroom,    // enough for one paper, not for two without a repeated question
    Undecodable,    // a stored text that libEncryption cannot decode
    BrokenForm,     // options or answer that do not fit the question's form
    NoExplanation,  // a question without an explanation text
    MissingPicture, // a named picture the library does not hold or the program cannot show
    TeachingFile,   // a teaching item whose file its category's library cannot supply or show
    DuplicateStem,  // two questions of one chapter with the same stem and picture
    KeyLength,      // keys given away by their length too often
    AnswerSpread,   // an answer letter, or 对 or 错, far from its fair share
    NoSourceDate    // a local rule resting on a legal text whose source names no date
};

// One fault and what it concerns: the papers ("小车 × 全国") or the question IDs.
struct CheckFinding {
    CheckProblem Kind;
    QString What;
    QStringList Where;
};

struct BankCheckReport {
    QString Overview; // papers, chapters, answers and pictures as text
    QList<CheckFinding> Problems;
    QStringList Notes; // worth knowing, no fault
    bool Passed() const { return Problems.isEmpty(); }
    bool Has(CheckProblem kind) const;
    // The whole report, UTF-8 text ending in the verdict.
    QString Text() const;
};

// The question picture library as the program binds it. Find gives the path of the picture
// file `name`.`type`, or an empty text when the library holds no such picture; FindTeaching
// does the same for a teaching library (teaching files are not checked without it).
struct QuestionPictures {
    QString Unavailable; // why the library is missing; empty when it is loaded
    std::function<QString(const QString& name, const QString& type)> Find;
    std::function<QString(TeachLibrary library, const QString& name, const QString& type)>
        FindTeaching = {};
};

// Loads SubImage.so and the teaching libraries beside the executable through the program's
// own bindings.
QuestionPictures BindQuestionPictures();

// Checks the bank `bankFile` for every car type and area: can full mock-exam papers be
// drawn, and with how much to spare; are answers decodable and fitting their form, are
// explanations there, are the named pictures and teaching files in `pictures`. Throws BankError
// when the file cannot be opened or lacks the tables and columns the program reads.
BankCheckReport CheckBank(const QString& bankFile, const QuestionPictures& pictures,
                          const QByteArray& key = SqlCipherConnection::BankKey);
