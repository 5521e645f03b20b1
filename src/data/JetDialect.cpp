#include "data/JetDialect.h"

#include <QHash>

namespace {

enum class TokenKind { Word, Number, Quoted, Space, Symbol };

struct Token {
    TokenKind Kind;
    QString Text;
};

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == '_';
}

qsizetype QuotedEnd(const QString& sql, qsizetype start) {
    const QChar quote = sql[start];
    qsizetype i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) { // a doubled quote stays inside
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

QList<Token> Tokenize(const QString& sql) {
    QList<Token> tokens;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype end = i + 1;
        TokenKind kind = TokenKind::Symbol;
        if (c == '\'' || c == '"') {
            kind = TokenKind::Quoted;
            end = QuotedEnd(sql, i);
        } else if (c.isSpace()) {
            kind = TokenKind::Space;
            while (end < sql.size() && sql[end].isSpace())
                ++end;
        } else if (IsWordChar(c)) {
            kind = TokenKind::Word;
            while (end < sql.size() && IsWordChar(sql[end]))
                ++end;
            bool digits = true;
            for (qsizetype k = i; k < end; ++k)
                digits = digits && sql[k].isDigit();
            if (digits)
                kind = TokenKind::Number;
        }
        tokens.append({kind, sql.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

bool IsWord(const Token& token, const char* word) {
    return token.Kind == TokenKind::Word &&
           token.Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool EndsSelect(const Token& token) {
    return IsWord(token, "union") || IsWord(token, "except") || IsWord(token, "intersect");
}

// The index of the next token that is not white space, or tokens.size().
qsizetype NextSolid(const QList<Token>& tokens, qsizetype from) {
    while (from < tokens.size() && tokens[from].Kind == TokenKind::Space)
        ++from;
    return from;
}

class Translator {
public:
    explicit Translator(const QList<Token>& tokens) : Tokens(tokens) {}

    QString Run() {
        for (qsizetype i = 0; i < Tokens.size(); ++i)
            i = Emit(i);
        CloseSelect(0);
        return Out;
    }

private:
    // Writes token i (or the construct starting there); returns the last token consumed.
    qsizetype Emit(qsizetype i) {
        const Token& token = Tokens[i];
        if (token.Kind != TokenKind::Space)
            Remember(token);
        if (token.Text == "(") {
            ++Depth;
        } else if (token.Text == ")") {
            CloseSelect(Depth);
            Depth = qMax(0, Depth - 1);
        } else if (token.Text == ";" || EndsSelect(token)) {
            CloseSelect(Depth);
        } else if (IsWord(token, "true") || IsWord(token, "false")) {
            Out += IsWord(token, "true") ? QStringLiteral("1") : QStringLiteral("0");
            return i;
        } else if (IsWord(token, "top") && FollowsSelect()) {
            const qsizetype count = NextSolid(Tokens, i + 1);
            if (count < Tokens.size() && Tokens[count].Kind == TokenKind::Number) {
                PendingLimit[Depth] = Tokens[count].Text;
                return NextSolid(Tokens, count + 1) - 1;
            }
        }
        Out += token.Text;
        return i;
    }

    void Remember(const Token& token) {
        Previous[0] = Previous[1];
        Previous[1] = Previous[2];
        Previous[2] = token;
    }

    // True when the token just remembered ("top") follows "select" or "select distinct".
    bool FollowsSelect() const {
        return IsWord(Previous[1], "select") ||
               ((IsWord(Previous[1], "distinct") || IsWord(Previous[1], "all")) &&
                IsWord(Previous[0], "select"));
    }

    void CloseSelect(int depth) {
        const auto pending = PendingLimit.find(depth);
        if (pending == PendingLimit.end())
            return;
        qsizetype blanks = 0;
        while (blanks < Out.size() && Out[Out.size() - 1 - blanks].isSpace())
            ++blanks;
        const QString trailing = Out.right(blanks);
        Out.chop(blanks);
        Out += QStringLiteral(" limit ") + pending.value() + trailing;
        PendingLimit.erase(pending);
    }

    const QList<Token>& Tokens;
    QString Out;
    int Depth = 0;
    QHash<int, QString> PendingLimit;
    Token Previous[3] = {{TokenKind::Space, {}}, {TokenKind::Space, {}}, {TokenKind::Space, {}}};
};

} // namespace

QString TranslateJetSql(const QString& sql) {
    const QList<Token> tokens = Tokenize(sql);
    return Translator(tokens).Run();
}
