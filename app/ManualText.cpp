// The user manual. It is kept as HTML text so that the manual window only has to show it; the
// text describes what the window does, so it changes together with the window's behaviour. Its
// sections live in three files of a readable size and are joined here once.
#include "app/ManualText.h"

#include <string>

#include "app/ManualSections.h"

const char* ManualTitle() { return "Torvane"; }

const char* ManualPurpose() {
    return "Explore smooth maps of the plane: grids, folds and the singular locus.";
}

const char* ManualHtml() {
    static const std::string Whole =
        std::string(ManualIntroduction()) + ManualFormulaInput() + ManualOtherInput();
    return Whole.c_str();
}

const char* ManualIntroduction() {
    // Only headings, paragraphs, lists, bold, typewriter text and plain tables: the manual
    // panel is a read-only rich-text view, and these render the same with every style.
    return R"TVNMANUAL(
<h2>LIST OF SHORTCUTS</h2>
<h3>Keys</h3>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>Key</th><th>What it does</th></tr>
<tr><td><tt>F1</tt></td><td>This manual (File menu).</td></tr>
<tr><td><tt>Ctrl+O</tt></td><td>Open a map document (File menu).</td></tr>
<tr><td><tt>Ctrl+S</tt></td><td>Save the map (File menu).</td></tr>
<tr><td><tt>Ctrl+Shift+S</tt></td><td>Save the map under a new name (File menu).</td></tr>
<tr><td><tt>Ctrl+P</tt></td><td>Print (File menu).</td></tr>
<tr><td><tt>Ctrl+E</tt></td><td>Export a picture of both panels (File menu).</td></tr>
<tr><td><tt>Ctrl+Shift+E</tt></td><td>Export a picture of the panel the mouse last worked
in (File menu).</td></tr>
<tr><td><tt>Ctrl+Q</tt></td><td>Exit (File menu).</td></tr>
<tr><td><tt>Ctrl+Enter</tt></td><td>Draw It, whatever has the focus.</td></tr>
<tr><td><tt>Ctrl+R</tt></td><td>Reset sphere of the image (Preferences menu): the image sphere
returns to its starting view.</td></tr>
<tr><td><tt>Ctrl+Z</tt></td><td>Undo: takes back the last change of the map (Edit menu).</td></tr>
<tr><td><tt>Ctrl+Y</tt>, <tt>Ctrl+Shift+Z</tt></td><td>Redo: brings back the change taken
back last (Edit menu).</td></tr>
<tr><td><tt>Ctrl+X</tt></td><td>Cut the selected text of the field that has the focus.</td></tr>
<tr><td><tt>Ctrl+C</tt></td><td>Copy the selected text of the field that has the focus.</td></tr>
<tr><td><tt>Ctrl+V</tt></td><td>Paste into the field that has the focus.</td></tr>
<tr><td>Up arrow</td><td>Makes the cross 1.3 times larger (up to size 50).</td></tr>
<tr><td>Down arrow</td><td>Makes the cross 1.3 times smaller (down to size 0.02).</td></tr>
<tr><td>Left arrow</td><td>Sets the cross to size 1 (long tangent lines).</td></tr>
<tr><td>Enter</td><td>In a field, until the first Draw It: the same as the Draw It
button.</td></tr>
<tr><td>Tab</td><td>Moves the focus to the next field.</td></tr>
</table>
<p>The arrow keys act whatever field has the focus (in that field the text cursor moves as
usual, too). The cross starts at size 0.03; after a change of size it reappears, at its new
size, at the next mouse move over the Domain panel.</p>

<h3>Mouse</h3>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>Where</th><th>Gesture</th><th>What it does</th></tr>
<tr><td>Domain</td><td>move</td><td>Cross in the Image panel; the read-outs show the point
and its image.</td></tr>
<tr><td>Domain</td><td><tt>Ctrl</tt> + move</td><td>Shifts the domain rectangle: the grid
follows the mouse.</td></tr>
<tr><td>Domain</td><td><tt>Shift</tt> + move</td><td>Zooms the domain about its centre: right
or up narrows, left or down widens.</td></tr>
<tr><td>Image (plane)</td><td>move</td><td>The x and y read-outs show the point under the
mouse.</td></tr>
<tr><td>Image (plane)</td><td><tt>Ctrl</tt> + move</td><td>Shifts the image
rectangle.</td></tr>
<tr><td>Image (plane)</td><td><tt>Shift</tt> + move</td><td>Zooms the image rectangle about its
centre.</td></tr>
<tr><td>Either sphere</td><td>right-button drag</td><td>Turns the sphere.</td></tr>
<tr><td>Either sphere</td><td>right-button drag + <tt>Shift</tt></td><td>Up or down changes the
sphere's radius (down makes it larger).</td></tr>
<tr><td>Either sphere</td><td>right-button drag + <tt>Ctrl</tt></td><td>Slides the plane over
the sphere.</td></tr>
<tr><td>Parameters pad</td><td>click</td><td>The little circle jumps there; the parameters take
the new values.</td></tr>
<tr><td>Parameters pad</td><td>left-button drag</td><td>Moves the little circle; the picture
follows at once.</td></tr>
<tr><td>Animate button</td><td>click</td><td>Opens the Animate window: p and q move straight to a
target or once round a circle about the little circle, in the seconds you give; Play, Pause,
Stop (back to the start) and a slider over the time; Export... writes the frames to a file.</td></tr>
</table>
<p>The window may be enlarged or maximised: everything in it grows in proportion, and the
gestures work the same at any size.</p>
<p>No mouse button is needed for the <tt>Ctrl</tt> and <tt>Shift</tt> moves: hold the key and
move the mouse. All gestures work only once a picture has been drawn.</p>

<h2>1. INTRODUCTION.</h2>
<p><b>Torvane</b> shows what a smooth map does to a rectangle of the plane. You type the map as
two formulas <tt>x(u,v)</tt> and <tt>y(u,v)</tt>, or as one complex function <tt>w(z)</tt>,
press <b>Draw It</b>, and the program draws a grid on the rectangle (the <b>domain</b>) and the
image of that grid under the map. It also draws the <b>singular locus</b>, the curve where the
map folds the plane over, and its image. You can change the parameters of the formula with the
mouse and watch the picture change, look at a tiny cross that shows how the map stretches and
turns the plane at one point, and wrap either plane onto a sphere to see what happens far
away.</p>

<h3>The window</h3>
<ul>
<li><b>Domain panel</b> (top left): the grid of the domain rectangle. Below it, the read-outs
<tt>u =</tt> and <tt>v =</tt> and the bounds of the rectangle,
<tt>uMin &lt; u &lt; uMax</tt> and <tt>vMin &lt; v &lt; vMax</tt>.</li>
<li><b>Image panel</b> (right): the images of the grid lines. Below it, the read-outs
<tt>x =</tt> and <tt>y =</tt> and four optional bounds <tt>&lt; x &lt;</tt> and
<tt>&lt; y &lt;</tt> of the image rectangle.</li>
<li><b>Parameters pad</b> (the white square at the lower left) with the little red circle;
left of it the values <tt>p =</tt> and <tt>q =</tt>, below it the ranges
<tt>&lt; p &lt;</tt> and <tt>&lt; q &lt;</tt>.</li>
<li>The formula fields <tt>x(u,v)=</tt> and <tt>y(u,v)=</tt> at the bottom, and the
<b>Draw It</b> button left of them.</li>
<li>The status bar at the very bottom, where every message about your input appears.</li>
</ul>

<h3>A first session</h3>
<ul>
<li>Start the program and press <b>Draw It</b>. It draws the map
<tt>x = p u^2 - v^3</tt>, <tt>y = q v^2 - u^3</tt> on the square -1 &lt; u &lt; 1,
-1 &lt; v &lt; 1 with p = q = 0.</li>
<li>The domain grid has 21 red lines (v constant) and 21 blue lines (u constant), which cut the
rectangle into 20 equal strips each way. In the Image panel each line's image is drawn in the
same colour.</li>
<li>Move the mouse over the Domain panel. A red cross follows in the Image panel, and the
read-outs show the point (u, v) and its image (x, y).</li>
<li>Click in the Parameters pad, or drag the little circle with the left button: p and q change
and everything is redrawn at once. The dark grey curves are the singular locus (in the domain)
and its image (in the Image panel).</li>
<li>Write your own formulas and press <b>Draw It</b> again.</li>
</ul>

<h3>The cross and the singular locus</h3>
<p>The two arms of the cross are the images of two short steps from the point under the mouse,
one along u and one along v, carried by the derivative of the map: they are tangent to the
images of the red and of the blue grid line through that point. Each step reaches, on both
sides of the point, the cross size times the length of the domain's diagonal; the map then
stretches or shrinks it as it stretches or shrinks the plane there. So the cross shows at a
glance whether the map stretches, squeezes, shears or turns the plane at that point.</p>
<p>The map is locally one-to-one where its Jacobian determinant
<tt>J = x_u y_v - x_v y_u</tt> is not zero (<tt>x_u</tt> is the partial derivative of x by u,
and so on). Where J is zero the two arms of the cross become parallel, or one of them shrinks
to a point: the map folds the plane there. The points with J = 0 form the <b>singular
locus</b>; its image is the <b>fold curve</b> of the map, the edge along which the image of the
grid turns back. Where the fold curve makes a sharp point the map has a cusp. Move the cross
across the locus and watch its arms close and open again.</p>

<h2>2. MAP TYPES</h2>
<p>Choose the kind of map in the <b>File</b> menu: <b>Real Functions</b> or <b>Complex
Function</b>. The program starts with real functions.</p>

<h3>Real functions</h3>
<p>The map is given by two formulas <tt>x(u,v)</tt> and <tt>y(u,v)</tt> in the variables
<tt>u</tt> and <tt>v</tt>. They may use two real parameters <tt>p</tt> and <tt>q</tt>, which
you set in the fields <tt>p =</tt> and <tt>q =</tt> or with the Parameters pad. Defaults:
<tt>p u^2 - v^3</tt> and <tt>q v^2 - u^3</tt>, domain -1 &lt; u &lt; 1, -1 &lt; v &lt; 1,
p and q equal to 0 with ranges from -2 to 2. For these formulas
<tt>J = uv(4pq - 9uv)</tt>: when p and q are not 0, the singular locus is made of the two axes
and of the hyperbola <tt>uv = 4pq/9</tt>, as far as they lie in the domain.</p>
<p>A real map starts with <b>Adjust to Panels</b> and with the singular locus shown. Some maps to
try:</p>
<ul>
<li>A fold: <tt>x(u,v) = u</tt>, <tt>y(u,v) = v^2</tt>. The locus is the line v = 0; the plane
is folded along y = 0.</li>
<li>A cusp: <tt>x(u,v) = u</tt>, <tt>y(u,v) = v^3 + u v</tt>. The locus is the parabola
<tt>u = -3v^2</tt>; its image has a cusp at the origin.</li>
<li>Polar coordinates: <tt>x(u,v) = u cos(v)</tt>, <tt>y(u,v) = u sin(v)</tt> with
-1 &lt; u &lt; 1 and 0 &lt; v &lt; 2pi (type <tt>2pi</tt> in the field). Here J = u: the locus
is the line u = 0, which the map crushes to the origin.</li>
<li>A family: <tt>x(u,v) = u</tt>, <tt>y(u,v) = v^4 + p v^2 + q u v</tt>; drag the little circle
to see the folds appear and vanish.</li>
</ul>

<h3>Complex function</h3>
<p>The map is one formula <tt>w(z)</tt> in the complex variable <tt>z = u + iv</tt>. It may use
one complex parameter <tt>p</tt>. The labels change to suit: the formula field is
<tt>w(z)=</tt> (the second formula field is hidden), the domain bounds are those of
<tt>z.re</tt> and <tt>z.im</tt>, the image bounds those of <tt>w.re</tt> and <tt>w.im</tt>,
and the read-outs are <tt>z.re=</tt>, <tt>z.im=</tt>, <tt>w.re=</tt>, <tt>w.im=</tt>. The two
parameter rows hold the real part <tt>p.re</tt> and the imaginary part <tt>p.im</tt> of p, so
the Parameters pad is a piece of the complex p-plane: p.re to the right, p.im upwards. The
default is <tt>z(1-p) + p cos(z)</tt>, which is z itself at p = 0.</p>
<p>A complex map starts with <b>Preserve Ratio</b>, so that right angles look right (a
holomorphic map keeps angles where w' is not 0), and with the singular locus switched off: for a
holomorphic w the Jacobian is <tt>|w'(z)|^2</tt>, which never changes sign, so the singular locus
is only a set of isolated points where w' = 0, and nothing is drawn for them. Maps that use
<tt>conj</tt>, <tt>abs</tt> or <tt>arg</tt> are not holomorphic and can have real fold curves;
for them switch the locus on in the <b>Geometry</b> menu. Some maps to try:</p>
<ul>
<li><tt>z^2</tt>: angles are doubled at 0, where w' = 0.</li>
<li><tt>exp(z)</tt>: the grid becomes circles and rays.</li>
<li><tt>(p z + 1)/(z - 1)</tt>: a pole at z = 1; look at it on the image sphere.</li>
<li><tt>z^2 + p conj(z)</tt>: with p not 0 the singular locus is the circle |z| = |p|/2, and
its image is a curve with three cusps.</li>
</ul>

<h3>Switching between the two kinds</h3>
<p>Choosing the other kind in the File menu writes the default formula or formulas of that kind,
sets the parameter fields back to 0 with ranges -2 to 2, resets the ratio choice and the
singular locus to the kind's starting choice, erases the panels and gives the focus to the first
formula field. The domain and image bound fields keep their text. Nothing is drawn until you
press <b>Draw It</b>. Choosing the kind that is already active changes nothing.</p>

)TVNMANUAL";
}
