#include "formula/engine/FormulaCompiler.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "formula/engine/FunctionTable.h"
#include "formula/engine/IndCommonSpace.h"

namespace {

enum class Tok {
    End,
    Ident,
    Number,
    Text,
    RefText,
    Op,
    Colon,
    Assign,
    Comma,
    Semi,
    LParen,
    RParen
};

struct Token {
    Tok kind = Tok::End;
    std::string text;  // identifiers upper-cased; texts without quotes; operators as written
    double number = 0;
    int begin = 0;  // byte offsets into the source
    int end = 0;
};

bool IsIdentStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool IsIdentChar(unsigned char c) {
    return std::isalnum(c) || c == '_' || c >= 0x80;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x80)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct Failure {
    int code;
    std::string message;
    int begin;
    int end;
};

class Lexer {
public:
    explicit Lexer(const std::string& s) : m_s(s) {}

    std::vector<Token> Run() {
        std::vector<Token> out;
        for (;;) {
            SkipSpaceAndComments();
            Token t;
            t.begin = static_cast<int>(m_i);
            if (m_i >= m_s.size()) {
                t.kind = Tok::End;
                t.end = t.begin;
                out.push_back(t);
                return out;
            }
            unsigned char c = static_cast<unsigned char>(m_s[m_i]);
            if (std::isdigit(c) || (c == '.' && m_i + 1 < m_s.size() &&
                                    std::isdigit(static_cast<unsigned char>(m_s[m_i + 1])))) {
                const char* start = m_s.c_str() + m_i;
                char* endp = nullptr;
                t.number = std::strtod(start, &endp);
                m_i += static_cast<size_t>(endp - start);
                if (m_i < m_s.size() && m_s[m_i] == '.') {
                    // 1.2.3: one malformed number, the whole of it pointed at.
                    size_t e = m_i;
                    while (e < m_s.size() &&
                           (m_s[e] == '.' || std::isdigit(static_cast<unsigned char>(m_s[e]))))
                        ++e;
                    throw Failure{FormulaError::kBadNumber, "数字格式错误", t.begin,
                                  static_cast<int>(e)};
                }
                if (m_i < m_s.size() && IsIdentStart(static_cast<unsigned char>(m_s[m_i])))
                    throw Failure{FormulaError::kBadNumber, "数字格式错误", t.begin,
                                  static_cast<int>(m_i) + 1};
                t.kind = Tok::Number;
            } else if (c >= 0x80 && ForeignSymbol(m_i)) {
                ThrowForeignSymbol(m_i);
            } else if (IsIdentStart(c)) {
                while (m_i < m_s.size()) {
                    unsigned char d = static_cast<unsigned char>(m_s[m_i]);
                    if (d >= 0x80 && ForeignSymbol(m_i)) break;
                    if (IsIdentChar(d)) {
                        ++m_i;
                    } else if ((d == '$' || d == '#') && m_i + 1 < m_s.size() &&
                               IsIdentChar(static_cast<unsigned char>(m_s[m_i + 1]))) {
                        ++m_i;
                    } else {
                        break;
                    }
                }
                t.kind = Tok::Ident;
                t.text = Upper(
                    m_s.substr(static_cast<size_t>(t.begin), m_i - static_cast<size_t>(t.begin)));
            } else if (c == '\'' || c == '"') {
                size_t close = m_s.find(static_cast<char>(c), m_i + 1);
                if (close == std::string::npos)
                    throw Failure{FormulaError::kUnterminatedText, "文字缺少结束引号", t.begin,
                                  static_cast<int>(m_s.size())};
                t.text = m_s.substr(m_i + 1, close - m_i - 1);
                t.kind = c == '\'' ? Tok::Text : Tok::RefText;
                m_i = close + 1;
            } else {
                t.kind = Tok::Op;
                auto two = m_s.substr(m_i, 2);
                if (two == ":=") {
                    t.kind = Tok::Assign;
                    m_i += 2;
                } else if (two == "<=" || two == ">=" || two == "<>" || two == "!=" ||
                           two == "==" || two == "&&" || two == "||") {
                    t.text = two;
                    m_i += 2;
                } else {
                    switch (c) {
                        case ':':
                            t.kind = Tok::Colon;
                            break;
                        case ',':
                            t.kind = Tok::Comma;
                            break;
                        case ';':
                            t.kind = Tok::Semi;
                            break;
                        case '(':
                            t.kind = Tok::LParen;
                            break;
                        case ')':
                            t.kind = Tok::RParen;
                            break;
                        case '+':
                        case '-':
                        case '*':
                        case '/':
                        case '<':
                        case '>':
                        case '=':
                        case '!':
                            t.text = std::string(1, static_cast<char>(c));
                            break;
                        default:
                            throw Failure{FormulaError::kBadChar, "非法字符", t.begin,
                                          t.begin + CharLen(c)};
                    }
                    ++m_i;
                }
            }
            t.end = static_cast<int>(m_i);
            out.push_back(t);
        }
    }

private:
    static int CharLen(unsigned char c) { return c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2; }

    // The code point of the UTF-8 character at i (0xFFFD when its bytes are broken).
    uint32_t CodePoint(size_t i) const {
        const unsigned char c = static_cast<unsigned char>(m_s[i]);
        const int len = CharLen(c);
        if (len == 1) return c;
        if (i + static_cast<size_t>(len) > m_s.size()) return 0xFFFD;
        uint32_t cp = c & (0x7F >> len);
        for (int k = 1; k < len; ++k) {
            const unsigned char d = static_cast<unsigned char>(m_s[i + static_cast<size_t>(k)]);
            if ((d & 0xC0) != 0x80) return 0xFFFD;
            cp = (cp << 6) | (d & 0x3F);
        }
        return cp;
    }

    // Punctuation, symbols and full-width forms from a Chinese keyboard: never part of a
    // name, though their bytes look like those of the Chinese letters names may use.
    bool ForeignSymbol(size_t i) const {
        const uint32_t cp = CodePoint(i);
        return (cp >= 0x2000 && cp <= 0x2BFF) || (cp >= 0x3000 && cp <= 0x303F) ||
               (cp >= 0xFE30 && cp <= 0xFE6F) || (cp >= 0xFF00 && cp <= 0xFFEF) || cp == 0x00B7 ||
               cp == 0x00D7 || cp == 0x00F7;
    }

    [[noreturn]] void ThrowForeignSymbol(size_t i) const {
        const uint32_t cp = CodePoint(i);
        const int len = CharLen(static_cast<unsigned char>(m_s[i]));
        const std::string ch = m_s.substr(i, static_cast<size_t>(len));
        // The half-width character meant, where there is one.
        char meant = 0;
        if (cp >= 0xFF01 && cp <= 0xFF5E)
            meant = static_cast<char>(cp - 0xFEE0);
        else if (cp == 0x3000)
            meant = ' ';
        else if (cp == 0x3001)
            meant = ',';
        else if (cp == 0x3002)
            meant = '.';
        else if (cp == 0x2018 || cp == 0x2019)
            meant = '\'';
        else if (cp == 0x201C || cp == 0x201D)
            meant = '"';
        else if (cp == 0x00D7)
            meant = '*';
        else if (cp == 0x00F7)
            meant = '/';
        std::string message = "公式不能使用的字符“" + ch + "”";
        if (meant == ' ')
            message += "（全角空格），请改用半角空格";
        else if (meant)
            message += "，请改用半角的“" + std::string(1, meant) + "”";
        throw Failure{FormulaError::kBadChar, message, static_cast<int>(i),
                      static_cast<int>(i) + len};
    }

    void SkipSpaceAndComments() {
        for (;;) {
            while (m_i < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_i]))) ++m_i;
            if (m_i < m_s.size() && m_s[m_i] == '{') {
                size_t close = m_s.find('}', m_i);
                if (close == std::string::npos)
                    throw Failure{FormulaError::kUnterminatedText, "注释缺少结束的 }",
                                  static_cast<int>(m_i), static_cast<int>(m_s.size())};
                m_i = close + 1;
            } else if (m_s.compare(m_i, 2, "//") == 0) {
                while (m_i < m_s.size() && m_s[m_i] != '\n') ++m_i;
            } else {
                return;
            }
        }
    }

    const std::string& m_s;
    size_t m_i = 0;
};

// Kind of value an expression leaves on the stack, as far as the compiler can tell.
enum class Shape { Number, Text, Unknown };

class Parser {
public:
    Parser(std::vector<Token> toks, const std::vector<std::string>& params)
        : m_t(std::move(toks)), m_params(params), m_prog(std::make_shared<FormulaProgram>()) {}

    std::shared_ptr<FormulaProgram> Run() {
        while (Peek().kind != Tok::End) {
            if (Peek().kind == Tok::Semi) {
                ++m_p;
                continue;
            }
            Statement();
        }
        if (m_prog->lines.empty() && m_prog->drawFuncs.empty())
            throw Failure{FormulaError::kEmpty, "公式没有输出", 0, 0};
        MarkLastUses();
        return m_prog;
    }

private:
    // The last read of a variable may take its record instead of copying it, and an output
    // line whose variable is never read may take the record itself.
    void MarkLastUses() {
        std::vector<bool> seen(m_prog->varNames.size(), false);
        for (auto it = m_prog->code.rbegin(); it != m_prog->code.rend(); ++it) {
            if (it->op == Op::LoadVar) {
                it->sub = seen[it->a] ? 0 : 1;
                seen[it->a] = true;
            } else if (it->op == Op::StoreLine) {
                it->sub = (it->b < 0 || !seen[static_cast<size_t>(it->b)]) ? 1 : 0;
            }
        }
    }

    const Token& Peek(int ahead = 0) const {
        size_t i = m_p + static_cast<size_t>(ahead);
        return i < m_t.size() ? m_t[i] : m_t.back();
    }
    const Token& Next() { return m_t[m_p < m_t.size() - 1 ? m_p++ : m_p]; }

    [[noreturn]] void Fail(int code, const std::string& msg, const Token& t) {
        int end = t.end > t.begin ? t.end : t.begin + 1;
        throw Failure{code, msg, t.begin, end};
    }

    void Expect(Tok kind, const char* what) {
        if (Peek().kind != kind) Fail(FormulaError::kSyntax, std::string("缺少") + what, Peek());
        ++m_p;
    }

    void Emit(Instr in, int depthChange, const Token& at) {
        // Indexes into the program's tables are 16-bit.
        if (m_prog->code.size() >= kMaxTable || m_prog->texts.size() >= kMaxTable ||
            m_prog->elements.size() >= kMaxTable || m_prog->varNames.size() >= kMaxTable ||
            m_prog->lines.size() >= kMaxTable || m_prog->drawArgs.size() >= kMaxTable)
            Fail(FormulaError::kTooComplex, "公式太长", at);
        in.srcFirst = at.begin;
        in.srcLast = at.end;
        m_prog->code.push_back(in);
        m_depth += depthChange;
        if (m_depth > m_prog->maxDepth) m_prog->maxDepth = m_depth;
    }

    int FindVar(const std::string& name) const {
        auto it = m_vars.find(name);
        return it == m_vars.end() ? -1 : it->second;
    }
    int FindParam(const std::string& name) const {
        for (size_t i = 0; i < m_params.size(); ++i)
            if (Upper(m_params[i]) == name) return static_cast<int>(i);
        return -1;
    }

    void Statement() {
        const Token& first = Peek();
        std::string name;
        bool output = true;
        bool named = false;
        if (first.kind == Tok::Ident &&
            (Peek(1).kind == Tok::Colon || Peek(1).kind == Tok::Assign)) {
            name = first.text;
            output = Peek(1).kind == Tok::Colon;
            named = true;
            if (FindVar(name) >= 0 || FindParam(name) >= 0)
                Fail(FormulaError::kDuplicateName, "名称重复定义: " + name, first);
            if (name.find_first_of("$#") != std::string::npos)
                Fail(FormulaError::kSyntax, "名称不能含有 $ 或 #", first);
            m_p += 2;
        }

        const FunctionInfo* f = Peek().kind == Tok::Ident ? FindFunction(Peek().text) : nullptr;
        if (f && f->cls == FunctionClass::Draw && Peek(1).kind == Tok::LParen) {
            if (named) Fail(FormulaError::kDrawInExpression, "绘图函数不能赋给名称", Peek());
            DrawStatement(*f);
            return;
        }

        Expression();
        LineStyle style;
        style.name = name;
        Attributes(style);
        EndOfStatement();

        if (output) {
            int var = -1;
            if (named) {
                var = static_cast<int>(m_prog->varNames.size());
                m_prog->varNames.push_back(name);
                m_vars[name] = var;
            }
            Instr in{Op::StoreLine};
            in.a = static_cast<uint16_t>(m_prog->lines.size());
            in.b = var;
            m_prog->lines.push_back(style);
            Emit(in, -1, first);
        } else {
            int var = static_cast<int>(m_prog->varNames.size());
            m_prog->varNames.push_back(name);
            m_vars[name] = var;
            Instr in{Op::StoreVar};
            in.a = static_cast<uint16_t>(var);
            Emit(in, -1, first);
        }
    }

    void EndOfStatement() {
        if (Peek().kind == Tok::Semi) {
            ++m_p;
            return;
        }
        if (Peek().kind != Tok::End) Fail(FormulaError::kSyntax, "缺少分号", Peek());
    }

    // A call's arguments up to and including ")", each compiled by `each`, their number
    // checked against what the function takes.
    template <class Each>
    int Arguments(const FunctionInfo& f, const Token& nameTok, Each each) {
        int count = 0;
        if (Peek().kind != Tok::RParen) {
            for (;;) {
                each();
                ++count;
                if (Peek().kind != Tok::Comma) break;
                ++m_p;
            }
        }
        const Token& close = Peek();
        Expect(Tok::RParen, ")");
        if (count < f.minArgs || (f.maxArgs >= 0 && count > f.maxArgs))
            throw Failure{FormulaError::kArgCount, std::string("参数个数不对: ") + f.name,
                          nameTok.begin, close.end};
        return count;
    }

    void DrawStatement(const FunctionInfo& f) {
        const Token& nameTok = Next();
        Expect(Tok::LParen, "(");
        int firstArg = static_cast<int>(m_prog->drawArgs.size());
        int count = Arguments(f, nameTok, [&] {
            Expression();
            Instr in{Op::StoreDrawArg};
            in.a = static_cast<uint16_t>(m_prog->drawArgs.size());
            m_prog->drawArgs.emplace_back();
            Emit(in, -1, nameTok);
        });
        LineStyle style;
        Attributes(style);
        EndOfStatement();
        if (count > 0) {
            LineStyle& a0 = m_prog->drawArgs[static_cast<size_t>(firstArg)];
            a0 = style;
            a0.name = f.name;
        }
        CIndicatorDrawFunc df;
        df.m_nKind = f.id;
        df.m_nFirst = firstArg;
        df.m_nEnd = firstArg + count;
        m_prog->drawFuncs.push_back(df);
    }

    static bool DigitsSuffix(const std::string& s, const char* prefix, int& value) {
        size_t n = std::char_traits<char>::length(prefix);
        if (s.size() <= n || s.compare(0, n, prefix) != 0) return false;
        int v = 0;
        for (size_t i = n; i < s.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(s[i])) || v > 100000) return false;
            v = v * 10 + (s[i] - '0');
        }
        value = v;
        return true;
    }

    void Attributes(LineStyle& style) {
        while (Peek().kind == Tok::Comma) {
            ++m_p;
            const Token& t = Peek();
            if (t.kind != Tok::Ident) Fail(FormulaError::kBadAttribute, "逗号后应为线形或颜色", t);
            ++m_p;
            const std::string& w = t.text;
            int v = 0;
            const FunctionInfo* f = FindFunction(w);
            if (f && f->cls == FunctionClass::Style) {
                style.style = static_cast<int16_t>(f->id);
            } else if (f && f->cls == FunctionClass::Colour) {
                style.ownColor = 1;
                style.color = static_cast<uint32_t>(f->value);
            } else if (w.size() == 11 && w.compare(0, 5, "COLOR") == 0 &&
                       w.find_first_not_of("0123456789ABCDEF", 5) == std::string::npos) {
                style.ownColor = 1;
                style.color = static_cast<uint32_t>(std::strtoul(w.c_str() + 5, nullptr, 16));
            } else if (DigitsSuffix(w, "LINETHICK", v) && v <= 9) {
                style.thick = static_cast<int16_t>(v);
            } else if (DigitsSuffix(w, "LAYER", v) && v <= 7) {
                style.layer = static_cast<int16_t>(v);
            } else if (DigitsSuffix(w, "SHIFT", v) && v <= 10000) {
                style.shift = static_cast<int16_t>(v);
            } else if (DigitsSuffix(w, "VALIGN", v) && v <= 2) {
                style.valign = static_cast<int16_t>(v);
            } else if (DigitsSuffix(w, "ALIGN", v) && v <= 2) {
                style.halign = static_cast<int16_t>(v);
            } else if (w == "NOTEXT") {
                style.noTitle = 1;
            } else if (w == "MAINMARK") {
                style.mainChart = 1;
            } else {
                Fail(FormulaError::kBadAttribute, "不认识的线形或颜色: " + w, t);
            }
        }
    }

    // The binary operators, lowest precedence first, each level left-associative:
    //   OR || ; AND && ; < <= > >= = == <> != ; + - ; * /
    // Only the logical operators take text operands.
    struct OpSpelling {
        const char* text;
        bool word;  // a word (OR) rather than an operator token (||)
        BinOp op;
    };
    struct OpLevel {
        std::vector<OpSpelling> ops;
        bool numbersOnly;
    };
    static constexpr int kOpLevels = 5;
    static const OpLevel& Level(int i) {
        static const OpLevel levels[kOpLevels] = {
            {{{"OR", true, BinOp::Or}, {"||", false, BinOp::Or}}, false},
            {{{"AND", true, BinOp::And}, {"&&", false, BinOp::And}}, false},
            {{{"<", false, BinOp::Lt},
              {"<=", false, BinOp::Le},
              {">", false, BinOp::Gt},
              {">=", false, BinOp::Ge},
              {"=", false, BinOp::Eq},
              {"==", false, BinOp::Eq},
              {"<>", false, BinOp::Ne},
              {"!=", false, BinOp::Ne}},
             true},
            {{{"+", false, BinOp::Add}, {"-", false, BinOp::Sub}}, true},
            {{{"*", false, BinOp::Mul}, {"/", false, BinOp::Div}}, true},
        };
        return levels[i];
    }

    Shape Expression() { return Binary(0); }
    Shape Binary(int level) {
        if (level == kOpLevels) return Unary();
        const OpLevel& ops = Level(level);
        Shape s = Binary(level + 1);
        for (;;) {
            const OpSpelling* found = nullptr;
            for (const OpSpelling& o : ops.ops)
                if (o.word ? IsWord(o.text) : IsOp(o.text)) {
                    found = &o;
                    break;
                }
            if (!found) return s;
            const Token& t = Next();
            if (ops.numbersOnly) NumberOperand(s, t);
            Shape right = Binary(level + 1);
            if (ops.numbersOnly) NumberOperand(right, t);
            EmitBinary(found->op, t);
            s = Shape::Unknown;
        }
    }
    Shape Unary() {
        if (IsOp("-") || IsOp("!") || IsWord("NOT")) {
            if (IsWord("NOT") && Peek(1).kind == Tok::LParen) return Primary();
            NestGuard nest(*this, Peek());
            const Token& t = Next();
            NumberOperand(Unary(), t);
            Instr in{Op::Unary};
            in.sub = static_cast<uint8_t>(t.text == "-" ? UnOp::Neg : UnOp::Not);
            Emit(in, 0, t);
            return Shape::Unknown;
        }
        if (IsOp("+")) {
            NestGuard nest(*this, Peek());
            const Token& t = Next();
            Shape s = Unary();
            NumberOperand(s, t);
            return s;
        }
        return Primary();
    }

    void NumberOperand(Shape s, const Token& at) {
        if (s == Shape::Text) Fail(FormulaError::kBadArgument, "文字不能参与运算", at);
    }

    bool IsOp(const char* op) const { return Peek().kind == Tok::Op && Peek().text == op; }
    bool IsWord(const char* w) const { return Peek().kind == Tok::Ident && Peek().text == w; }

    void EmitBinary(BinOp op, const Token& at) {
        Instr in{Op::Binary};
        in.sub = static_cast<uint8_t>(op);
        Emit(in, -1, at);
    }

    void PushNumber(double v, const Token& at) {
        Instr in{Op::PushNum};
        in.num = v;
        Emit(in, 1, at);
    }
    void PushText(const std::string& s, const Token& at) {
        Instr in{Op::PushText};
        in.a = static_cast<uint16_t>(m_prog->texts.size());
        m_prog->texts.push_back(s);
        Emit(in, 1, at);
    }

    // Nesting is bounded so that no formula text can exhaust the stack of the compiler.
    struct NestGuard {
        NestGuard(Parser& p, const Token& at) : parser(p) {
            if (++parser.m_nesting > kMaxNesting)
                parser.Fail(FormulaError::kTooComplex, "公式嵌套太深", at);
        }
        ~NestGuard() { --parser.m_nesting; }
        Parser& parser;
    };
    static constexpr int kMaxNesting = 200;

    Shape Primary() {
        const Token& t = Peek();
        NestGuard nest(*this, t);
        switch (t.kind) {
            case Tok::Number:
                ++m_p;
                PushNumber(t.number, t);
                return Shape::Number;
            case Tok::Text:
                ++m_p;
                if (t.text.size() >= 128) Fail(FormulaError::kBadArgument, "文字太长", t);
                PushText(t.text, t);
                return Shape::Text;
            case Tok::RefText: {
                // "NAME.LINE#PERIOD": another indicator's line on this security.
                ++m_p;
                if (t.text.empty() || t.text.size() >= 128)
                    Fail(FormulaError::kBadArgument, "指标引用不正确", t);
                PushText("", t);
                PushText(t.text, t);
                PushNumber(0, t);
                Instr in{Op::CallBase};
                in.a = 37;
                in.b = 3;
                in.name = NameIndex("INDREF");
                Emit(in, -2, t);
                return Shape::Unknown;
            }
            case Tok::LParen: {
                ++m_p;
                Shape s = Expression();
                Expect(Tok::RParen, ")");
                return s;
            }
            case Tok::Ident:
                return Identifier();
            default:
                if (t.kind == Tok::End) Fail(FormulaError::kSyntax, "公式不完整", t);
                Fail(FormulaError::kSyntax, "此处应为数值或名称", t);
        }
    }

    Shape Identifier() {
        const Token& t = Next();
        const std::string& w = t.text;
        if (Peek().kind == Tok::LParen) return Call(t);
        if (int v = FindVar(w); v >= 0) {
            Instr in{Op::LoadVar};
            in.a = static_cast<uint16_t>(v);
            Emit(in, 1, t);
            return Shape::Unknown;
        }
        if (int p = FindParam(w); p >= 0) {
            Instr in{Op::PushParam};
            in.a = static_cast<uint16_t>(p);
            Emit(in, 1, t);
            return Shape::Number;
        }
        // SECURITY$NAME#PERIOD
        std::string secu, name = w, period;
        if (size_t d = name.find('$'); d != std::string::npos) {
            secu = name.substr(0, d);
            name = name.substr(d + 1);
        }
        if (size_t h = name.find('#'); h != std::string::npos) {
            period = name.substr(h + 1);
            name = name.substr(0, h);
        }
        const FunctionInfo* f = FindFunction(name);
        if (!f) Fail(FormulaError::kUnknownName, "未知的名称: " + name, t);
        if (f->cls != FunctionClass::Series && (!secu.empty() || !period.empty()))
            Fail(FormulaError::kUnknownName, "只有行情数据可以指定证券或周期: " + name, t);
        switch (f->cls) {
            case FunctionClass::Series: {
                ElementSpec e;
                e.slot = static_cast<uint16_t>(f->slot);
                if (!secu.empty()) {
                    e.secu = IndCommonSpace::GetCode(secu);
                    if (e.secu.m_strCode.empty())
                        Fail(FormulaError::kUnknownName, "证券代码不正确: " + secu, t);
                }
                if (!period.empty() &&
                    !IndCommonSpace::Trans2DataType(period, e.dataType, e.period))
                    Fail(FormulaError::kBadPeriod, "不认识的周期: " + period, t);
                Instr in{Op::Load};
                in.a = static_cast<uint16_t>(m_prog->elements.size());
                in.name = NameIndex(f->canonical);
                m_prog->elements.push_back(e);
                Emit(in, 1, t);
                return f->slot == load_slot::kCode || f->slot == load_slot::kName ? Shape::Text
                                                                                  : Shape::Unknown;
            }
            case FunctionClass::Constant:
                PushNumber(f->value, t);
                return Shape::Number;
            case FunctionClass::Colour:
                PushNumber(IndCommonSpace::ColorToDouble(static_cast<uint32_t>(f->value)), t);
                return Shape::Number;
            case FunctionClass::Style:
                Fail(FormulaError::kSyntax, "线形只能写在逗号之后: " + name, t);
            case FunctionClass::Draw:
                Fail(FormulaError::kDrawInExpression, "绘图函数不能用在表达式中: " + name, t);
            default:
                if (f->minArgs == 0) {
                    Instr in{f->cls == FunctionClass::Core ? Op::CallCore : Op::CallBase};
                    in.a = f->cls == FunctionClass::Core ? f->id : static_cast<uint16_t>(f->slot);
                    in.name = NameIndex(f->canonical);
                    Emit(in, 1, t);
                    return Shape::Unknown;
                }
                Fail(FormulaError::kArgCount, std::string("缺少参数: ") + f->name, t);
        }
    }

    // Calls written twice with the same text compute once: the language has no side effects.
    // A name may stand for a series at one call and for a variable defined since at the next
    // (VOLUME:=C), so the key holds what each name means where the call stands, not its text.
    std::string CallKey(size_t from, size_t to) const {
        std::string key;
        for (size_t i = from; i <= to && i < m_t.size(); ++i) {
            const Token& t = m_t[i];
            key += static_cast<char>('a' + static_cast<int>(t.kind));
            if (t.kind == Tok::Number) {
                char buf[32];
                std::snprintf(buf, sizeof buf, "%.17g", t.number);
                key += buf;
            } else {
                key += t.text;
            }
            if (t.kind == Tok::Ident && !(i + 1 < m_t.size() && m_t[i + 1].kind == Tok::LParen)) {
                if (int v = FindVar(t.text); v >= 0) key += "=v" + std::to_string(v);
            }
            key += '\x1f';
        }
        return key;
    }

    Shape Call(const Token& nameTok) {
        size_t startTok = m_p - 1;
        size_t startCode = m_prog->code.size();
        int startDepth = m_depth;
        Shape shape = CallBody(nameTok);
        std::string key = CallKey(startTok, m_p - 1);
        auto it = m_calls.find(key);
        if (it == m_calls.end()) {
            m_calls.emplace(key, CallSite{startCode, m_prog->code.size(), -1});
            return shape;
        }
        CallSite& site = it->second;
        if (site.var < 0) {
            // Keep the first result: a copy into a hidden variable right after it.
            site.var = static_cast<int>(m_prog->varNames.size());
            m_prog->varNames.emplace_back();
            Instr copy{Op::CopyVar};
            copy.a = static_cast<uint16_t>(site.var);
            m_prog->code.insert(m_prog->code.begin() + static_cast<std::ptrdiff_t>(site.end), copy);
            for (auto& [k, other] : m_calls) {
                if (&other == &site) continue;
                if (other.begin >= site.end) ++other.begin;
                if (other.end >= site.end) ++other.end;
            }
            ++startCode;
        }
        m_prog->code.resize(startCode);
        // Calls first seen inside the dropped code no longer exist.
        for (auto i = m_calls.begin(); i != m_calls.end();) {
            if (i->second.begin >= startCode)
                i = m_calls.erase(i);
            else
                ++i;
        }
        m_depth = startDepth;
        Instr load{Op::LoadVar};
        load.a = static_cast<uint16_t>(site.var);
        Emit(load, 1, nameTok);
        return shape;
    }

    Shape CallBody(const Token& nameTok) {
        const FunctionInfo* f = FindFunction(nameTok.text);
        if (!f || f->cls == FunctionClass::Series || f->cls == FunctionClass::Constant ||
            f->cls == FunctionClass::Colour || f->cls == FunctionClass::Style) {
            if (!f) Fail(FormulaError::kUnknownName, "未知的函数: " + nameTok.text, nameTok);
            Fail(FormulaError::kSyntax, "不是函数: " + nameTok.text, nameTok);
        }
        if (f->cls == FunctionClass::Draw)
            Fail(FormulaError::kDrawInExpression, "绘图函数不能用在表达式中: " + nameTok.text,
                 nameTok);
        ++m_p;  // (
        std::vector<Shape> shapes;
        int count = Arguments(*f, nameTok, [&] { shapes.push_back(Expression()); });
        Instr in{};
        if (f->cls == FunctionClass::Core) {
            for (Shape s : shapes) NumberOperand(s, nameTok);
            in.op = Op::CallCore;
            in.a = f->id;
            in.b = count;
            in.name = NameIndex(f->canonical);
            Emit(in, 1 - count, nameTok);
            return Shape::Unknown;
        }
        if (f->slot == base_slot::kIndicatorReference) {
            // INDREF(security, 'NAME.LINE#PERIOD', parameters...): the parameter count goes on top.
            PushNumber(count - 2, nameTok);
            ++count;
        }
        if (f->slot == base_slot::kWindow) {
            // The window evaluators read the series on top and the period below it.
            Instr swap{Op::Swap};
            Emit(swap, 0, nameTok);
        }
        in.op = Op::CallBase;
        in.a = static_cast<uint16_t>(f->slot);
        in.b = count;
        in.name = NameIndex(f->canonical);
        Emit(in, 1 - count, nameTok);
        return Shape::Unknown;
    }

    uint16_t NameIndex(const char* name) {
        for (size_t i = 0; i < m_prog->texts.size(); ++i)
            if (m_prog->texts[i] == name) return static_cast<uint16_t>(i);
        m_prog->texts.push_back(name);
        return static_cast<uint16_t>(m_prog->texts.size() - 1);
    }

    std::vector<Token> m_t;
    size_t m_p = 0;
    const std::vector<std::string>& m_params;
    std::shared_ptr<FormulaProgram> m_prog;
    std::unordered_map<std::string, int> m_vars;
    struct CallSite {
        size_t begin;
        size_t end;
        int var;
    };
    std::unordered_map<std::string, CallSite> m_calls;
    int m_depth = 0;
    int m_nesting = 0;
    static constexpr size_t kMaxTable = 60000;
};

// Byte offset -> character index in UTF-8 text.
int CharIndex(const std::string& s, int byteOffset) {
    int n = 0;
    for (int i = 0; i < byteOffset && i < static_cast<int>(s.size()); ++i)
        if ((static_cast<unsigned char>(s[static_cast<size_t>(i)]) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

std::shared_ptr<const FormulaProgram> CompileFormula(const std::string& source,
                                                     const std::vector<std::string>& paramNames,
                                                     CompileError& error) {
    error = {};
    try {
        Lexer lexer(source);
        Parser parser(lexer.Run(), paramNames);
        return parser.Run();
    } catch (const Failure& f) {
        error.code = f.code;
        error.message = f.message;
        error.first = CharIndex(source, f.begin);
        error.last = CharIndex(source, f.end);
        if (error.last < error.first) error.last = error.first;
        return nullptr;
    }
}
