// The manual's section on typing formulas: the grammar, the functions, the numbers' limits
// and the messages a formula can get.
#include "app/ManualSections.h"

const char* ManualFormulaInput() {
    return R"TVNMANUAL(<h2>3. INPUT OF FORMULAS</h2>
<p>Formulas are read when you press <b>Draw It</b>: a change of a formula shows only after the
next Draw It. The notation is forgiving.</p>

<h3>Letters, numbers and operators</h3>
<ul>
<li>Case does not matter and blanks are ignored: <tt>SIN(U)</tt> is <tt>sin(u)</tt>.</li>
<li>Real formulas use the variables <tt>u</tt>, <tt>v</tt> and the parameters <tt>p</tt>,
<tt>q</tt>; <tt>pi</tt> is the number pi. Angles are in radians.</li>
<li>Operators: <tt>+ - * / ^</tt>. <tt>^</tt> binds most strongly, then <tt>*</tt> and
<tt>/</tt>, then <tt>+</tt> and <tt>-</tt>; operators of the same rank work from left to right,
so <tt>a-b+c</tt> is (a-b)+c and <tt>2^3^2</tt> is (2^3)^2 = 64. <tt>-u^2</tt> is -(u^2).</li>
<li>A <tt>*</tt> may be left out between factors: <tt>p u^2</tt> is p*u^2; <tt>2u</tt>,
<tt>u2</tt> and <tt>2 u</tt> are 2*u; <tt>pu</tt> is p*u; <tt>2(u+1)</tt>,
<tt>u(v+1)</tt> and <tt>(u+1)(v-1)</tt> are products; <tt>2 3</tt> is 6.</li>
<li>Brackets <tt>[ ]</tt> and <tt>{ }</tt> work like parentheses. <tt>**</tt> is a power,
<tt>\</tt> is a division.</li>
<li>The decimal point may be written <tt>.</tt>, <tt>,</tt> or <tt>'</tt>:
<tt>3,5</tt> is 3.5. Write <tt>0.5</tt>, not <tt>.5</tt>. There is no exponent notation: write
<tt>0.00001</tt> or <tt>10^(-5)</tt>, not <tt>1e-5</tt>.</li>
<li>A minus sign may start the formula or follow <tt>(</tt>, but not another operator: write
<tt>2*(-3)</tt>, not <tt>2*-3</tt>, and <tt>u^(-2)</tt>, not <tt>u^-2</tt>.</li>
</ul>

<h3>Functions</h3>
<p>A function needs its argument in parentheses: <tt>sin(u)</tt>, not <tt>sin u</tt>. The name
must end a run of letters: <tt>usin(v)</tt> is u*sin(v), while <tt>sinu(v)</tt> is an error.
Each function has several spellings:</p>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>Function</th><th>Names</th></tr>
<tr><td>sine, cosine</td><td><tt>sin sen</tt>, <tt>cos</tt></td></tr>
<tr><td>tangent, cotangent</td><td><tt>tan tg</tt>, <tt>cot cotg cotan</tt></td></tr>
<tr><td>exponential</td><td><tt>exp</tt></td></tr>
<tr><td>natural logarithm</td><td><tt>ln log</tt> (both are the natural logarithm)</td></tr>
<tr><td>square root, square</td><td><tt>sqrt</tt>, <tt>sqr</tt></td></tr>
<tr><td>absolute value</td><td><tt>abs</tt></td></tr>
<tr><td>arcsine</td><td><tt>asin arcsin asen arcsen</tt></td></tr>
<tr><td>arccosine</td><td><tt>acos arccos arcos</tt></td></tr>
<tr><td>arctangent</td><td><tt>atan arctan arctg</tt></td></tr>
<tr><td>hyperbolic sine, cosine, tangent</td><td><tt>sinh sh</tt>, <tt>cosh ch</tt>,
<tt>tanh th</tt></td></tr>
<tr><td>inverse hyperbolic sine</td><td><tt>asinh arcsinh argsh argsinh</tt></td></tr>
<tr><td>inverse hyperbolic cosine</td><td><tt>acosh arccosh argch argcosh</tt></td></tr>
<tr><td>inverse hyperbolic tangent</td><td><tt>atanh arctanh argth argtanh</tt></td></tr>
</table>

<h3>Powers and values outside a function's domain</h3>
<p>A power with a whole-number exponent is an exact product: <tt>(-2)^3</tt> is -8 and
<tt>u^(-2)</tt> is 1/(u*u). Any other power <tt>a^b</tt> is computed as exp(b ln a), so use it
with a positive base: <tt>(-8)^(1/3)</tt> is not -2 but practically 0.</p>
<p>So that thousands of points can be computed without a failure, every function is given fixed
values outside its domain:</p>
<ul>
<li>the square root of a negative number is 0; the logarithm of 0 or of a negative number is
-75;</li>
<li>a division by zero gives the numerator times 10^24 (and 0/0 is 0);</li>
<li>the exponential stops at 10^24 above about e^52, and at 10^-24 below about e^-52; the
hyperbolic functions follow it;</li>
<li>arcsine and arccosine keep their end values beyond -1 and 1; the inverse hyperbolic cosine
is 0 below 1; the inverse hyperbolic tangent is 10^24 or -10^24 beyond 1 or -1.</li>
</ul>
<p>When the domain leaves the natural domain of a formula, the image therefore jumps to these
values; choose the domain inside it (for example u &gt; 0 for <tt>ln(u)</tt>).</p>

<h3>Complex formulas</h3>
<p>A complex formula <tt>w(z)</tt> follows the same rules, with these differences:</p>
<ul>
<li>The letters are <tt>z</tt>, the complex parameter <tt>p</tt> and the imaginary unit
<tt>i</tt>. <tt>pi</tt> is pi, while <tt>p i</tt> and <tt>ip</tt> are p times i;
<tt>iz</tt> and <tt>zi</tt> are z times i. Examples: <tt>z(1-p) + p cos(z)</tt>,
<tt>(3+7i) cos(p+iz)</tt>.</li>
<li>A number in parentheses such as <tt>(3+7i)</tt> or <tt>(-1-i)</tt> is one complex
constant.</li>
<li>Powers must have whole-number exponents: <tt>z^2</tt>, <tt>z^(-3)</tt>, <tt>(1+i)^5</tt>.
For other powers use <tt>sqrt</tt>, or <tt>exp(ln(z)/3)</tt> for a cube root.</li>
<li>Besides the functions above (except that <tt>argtanh</tt> is not accepted; use
<tt>atanh</tt>), there are <tt>conj</tt> or <tt>c</tt> (conjugate), <tt>abs</tt> or
<tt>mod</tt> (modulus), <tt>arg</tt> (argument, from -pi to pi) and <tt>arccot</tt> or
<tt>arccotg</tt>.</li>
<li>The square root is the root with a non-negative imaginary part (so it jumps across the
positive real axis); the logarithm is the principal one, with ln(0) = -50; a division by zero
multiplies the numerator by 10^30; the exponential stops at 10^30 (and 10^-30) beyond
|Re z| = 69.3.</li>
</ul>

<h3>Messages about formulas</h3>
<p>A formula that cannot be read stops Draw It with one of these messages in the status bar:</p>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>Real formulas</th><th>Complex formula</th><th>Cause</th></tr>
<tr><td>Perhaps you forgot to write something.</td><td>Nothing written in formula</td>
<td>Only blanks.</td></tr>
<tr><td>You did use a character not allowed.</td><td>A bad character has been used</td>
<td>A character that is not a letter, digit, blank, bracket, operator or decimal
point.</td></tr>
<tr><td>Check, please, the parentheses.</td><td>Check please the parentheses</td>
<td>A bracket is not closed, or closed too often.</td></tr>
<tr><td>There is a miswritten number.</td><td>A number was miswritten</td>
<td>A number such as <tt>.5</tt> or <tt>1.2.3</tt>.</td></tr>
<tr><td>Some function or variable was miswritten.</td><td>Used a non-allowed variable or
function</td><td>An unknown name or letter, or a function without <tt>(</tt>.</td></tr>
<tr><td>There is a sintax defect in the formula.</td><td>Syntax error in formula</td>
<td>Two operators in a row, an empty <tt>()</tt>, and the like.</td></tr>
<tr><td>I cannot cope with so much constants.</td><td>Too much constants in formula</td>
<td>About 250 different numbers in one formula.</td></tr>
<tr><td>The formula is too long or too deeply nested.</td><td>(the same)</td>
<td>The formula is far too long.</td></tr>
<tr><td>-</td><td>Only integer exponents are allowed</td>
<td>A power such as <tt>z^0.5</tt> or <tt>z^p</tt>.</td></tr>
</table>
<p>An empty formula field gives "You must write the first function" (or "the second
function").</p>

<h3>Numbers in the other fields</h3>
<p>Every bound and parameter field accepts a formula without variables, written the same way:
<tt>cos(pi/sqrt(5))</tt>, <tt>2pi</tt>, <tt>-1/3</tt>. A letter other than a function name or
<tt>pi</tt> gives an error (for example "A number may not contain variables.").</p>

)TVNMANUAL";
}
