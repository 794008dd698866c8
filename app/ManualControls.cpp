// The manual's sections on the other fields, the panels' gestures, documents and the
// Geometry, View and Preferences menus.
#include "app/ManualSections.h"

const char* ManualOtherInput() {
    return R"TVNMANUAL(<h2>4. OTHER INPUT</h2>
<h3>Draw It and the status bar</h3>
<p><b>Draw It</b> reads every field, compiles the formulas, and draws the grid, its image and
(when it is switched on) the singular locus. Until the first Draw It, pressing Enter in a field
does the same. If a field is wrong, Draw It stops at the first mistake and shows it in the
status bar; the old picture stays on the screen, but the mouse and the typed fields leave it
alone until the next successful Draw It. The messages are listed below for a real map; for a
complex map the range messages name p.re, p.im, z.re, z.im, w.Re and w.Im instead of p, q, u,
v, x and y, while the value messages keep the names 'p' (for p.re) and 'q' (for p.im):</p>
<ul>
<li>You must write the first function / You must write the second function</li>
<li>The minimum of 'p' cannot be greater than its maximum (the same for 'q'; equal bounds are
allowed for parameters)</li>
<li>The value of 'p' must be between its bounds (the same for 'q'; a value equal to a bound is
allowed)</li>
<li>The minimum of 'u' cannot be greater than its maximum / The minimum of 'v' must be less than
its maximum (domain bounds must differ)</li>
<li>The minimum of 'x' must be less than its maximum (the same for 'y')</li>
<li>A number in the fields is too large to draw with. (a value, or the width of a range, too
large to compute with)</li>
<li>The image of the map will be drawn in its whole range (not an error: see "Image bounds"
below)</li>
</ul>

<h3>Domain bounds</h3>
<p>The fields <tt>&lt; u &lt;</tt> and <tt>&lt; v &lt;</tt> (for a complex map
<tt>&lt; z.re &lt;</tt> and <tt>&lt; z.im &lt;</tt>) give the domain rectangle. Once a picture
is drawn, the picture follows the fields as you type: after every key, if the field holds a
number and the bounds are in order, the grid is redrawn. A bound typed out of order is kept but
not drawn; Draw It will report it. Emptying a field to type a new number shows no message;
other mistakes show the formula error in the status bar.</p>
<p>With the mouse: hold <tt>Ctrl</tt> and move over the Domain panel to shift the rectangle
(the grid follows the mouse); hold <tt>Shift</tt> and move to zoom it about its centre. Moving
right narrows the u interval and moving left widens it; moving up narrows the v interval and
moving down widens it, by about 1% of the half width per pixel. A fast fling never zooms in more
than tenfold in one mouse step, so the interval never turns inside out. During these gestures
the bound fields show the new values, shortened to five characters (six for a negative number);
a later Draw It reads these shortened values.</p>

<h3>Parameters</h3>
<p>The fields <tt>p =</tt> and <tt>q =</tt> hold the parameter values (for a complex map
<tt>p.re=</tt> and <tt>p.im=</tt>), and the fields below the pad their ranges. The
<b>Parameters pad</b> shows the two ranges as a square: its left edge is the minimum of p and
its right edge the maximum, its top edge the maximum of q and its bottom edge the minimum of q
(pixels 0 to 199 each way). The little red circle marks the current values.</p>
<ul>
<li>Click anywhere in the pad (any button): the circle jumps there, p and q take the values of
that point, and everything is redrawn.</li>
<li>Drag with the left button: the circle and the picture follow the mouse. The drag stops at
the edge of the pad, so the values never leave their ranges.</li>
<li>The values are shown rounded to four significant digits. The circle and the cross stay on
the screen when the window is covered and uncovered.</li>
</ul>
<p>Typing in the parameter fields also redraws at once (after a first Draw It):</p>
<ul>
<li>A new value of p (or q) is used right away. A value outside its range widens the range:
the bound that was passed moves beyond the new value by half the old width of the range.</li>
<li>A new minimum at or above the current value moves the value up to it (and the maximum too,
if needed) and redraws; a lower minimum is simply kept. A new maximum works the same way
downwards.</li>
<li>When its value changes, a parameter field is written back with two decimals (typing
<tt>3</tt> shows <tt>3.00</tt>); to enter a longer number in one go, paste it with
<tt>Ctrl+V</tt>.</li>
<li>As with the domain bounds, an emptied field shows no message and other mistakes show the
formula error in the status bar.</li>
</ul>

<h3>Image bounds</h3>
<p>The four fields <tt>&lt; x &lt;</tt> and <tt>&lt; y &lt;</tt> below the Image panel (for a
complex map <tt>&lt; w.re &lt;</tt> and <tt>&lt; w.im &lt;</tt>) may hold a rectangle of the
image plane to show.</p>
<ul>
<li>If all four hold numbers in order, the Image panel shows exactly that rectangle, and curves
leaving it are cut at its edge.</li>
<li>If any of them is empty or unreadable, the image is drawn in its <b>whole range</b>: the
program evaluates the map on a 16 by 16 grid of domain points, takes the smallest rectangle that
holds these values (values beyond a million are cut there), and widens it by 10%. The status
bar then reads "The image of the map will be drawn in its whole range". A narrow spike between
the sample points may leave the picture.</li>
<li>After a first Draw It the picture follows these fields as you type: it switches to the
rectangle as soon as the four fields form a valid one, and back to the whole range as soon as
they stop doing so.</li>
<li>With the mouse: <tt>Ctrl</tt> + move over the Image panel shifts the rectangle and
<tt>Shift</tt> + move zooms it, as in the Domain panel. The dragged rectangle is written into
the four fields and becomes the image rectangle; empty one of the fields to return to the
whole range. On the image sphere these gestures do nothing (the rectangle plays no part in the
sphere picture).</li>
</ul>
<p>Image curves are broken where the map is far outside the picture (near a pole, for example),
so that no long stray segments are drawn.</p>

<h3>Read-outs and the cross</h3>
<p>Moving the mouse over the Domain panel, with neither <tt>Ctrl</tt> nor <tt>Shift</tt>
held, draws the cross in the Image panel and writes the point and its image, with four
decimals, into the read-outs <tt>u =</tt>, <tt>v =</tt>, <tt>x =</tt>, <tt>y =</tt>. Outside
the domain rectangle the cross disappears and the read-outs keep their last values. The cross
is red; on the image sphere it is grey when its point lies on the back. It is not drawn when its
centre falls outside the Image panel.</p>
<p>Moving the mouse over the Image panel (plane view) writes the coordinates of the point under
the mouse into <tt>x =</tt> and <tt>y =</tt>; this is handy for choosing image bounds. The
read-outs can be selected and copied with <tt>Ctrl+C</tt>.</p>
<p>The size of the cross is set with the arrow keys (see the List of Shortcuts): Up makes it
1.3 times larger, Down 1.3 times smaller, Left sets it to 1, which draws long tangent lines
across the picture.</p>

<h3>The File menu</h3>
<ul>
<li><b>Manual...</b> opens this window. It can be resized and left open beside the main
window.</li>
<li><b>Real Functions</b> and <b>Complex Function</b> choose the kind of map (section 2).</li>
<li><b>Open...</b> opens a document, a <tt>.tvn</tt> file. It holds the kind of map, the
formulas, the domain and image bounds, the parameters with their ranges, the view choices of the
Geometry and Preferences menus and both sphere views. The fields and menus are set from it and
the picture is drawn at once. A file that is not a document of this program gives a message
box ("Bad file type", "File version not supported" or "Unknown map type") and then "Error on
reading file" in the status bar; the map on screen stays as it was.</li>
<li><b>Open Recent</b> lists the last eight documents opened or saved, the newest first, and
opens the one chosen. A file that no longer exists is taken off the list with a message.
<b>Clear Menu</b> empties the list, which is kept for the next session.</li>
<li><b>Examples</b> opens one of the example maps and draws it at once, as a new map without
a name (Save asks for one). The tip of each item says what it shows: the default maps, the
Whitney fold and cusp, lips and beaks (move p through 0 to see them appear and change), a
section of the swallowtail, z<sup>2</sup>, z<sup>3</sup> - p z, the Joukowski map z + p/z, exp,
1/z, sin, and a map covering the plane three times.</li>
<li><b>Save</b> writes the changes to the open document; for a new document it asks for a name,
like Save As. It does nothing when nothing has changed or nothing is drawn yet.</li>
<li><b>Save As...</b> asks for a name and writes the document. <tt>.tvn</tt> is added when the
name does not end in a three-letter extension. The window's title then shows the document's
name.</li>
<li><b>Export Animation...</b> asks where the parameters go (p and q, or the real and
imaginary part of p), how many frames to draw and how many to show a second, and then for a
file name. The map is drawn for each frame as the parameters move evenly from their values to
the ones given, and the frames of both panels go into one animated WebP file, without loss
(<tt>.webp</tt> is added to the name), or into numbered PNG pictures when the name holds
<tt>%d</tt> or <tt>%03d</tt>. The map in the window stays as it was. <b>Stop</b> in the
progress box ends the export; a WebP file is then not written.</li>
<li><b>Print...</b> prints one landscape page with both pictures, drawn again at the printer's
resolution: a title line with the kind of map and the document's name (or "Untitled"), the
domain picture at the left, the image picture at the upper right, the formulas below, then the
parameter values, the domain bounds and the image rectangle. It needs a drawn picture.</li>
<li><b>Export Picture...</b> writes both pictures side by side into a file for a paper or a
slide: a name ending in <tt>.png</tt> gives a smoothed picture at twice the screen's size,
<tt>.svg</tt> or <tt>.pdf</tt> a drawing whose lines stay sharp at any size.
<b>Export Panel Picture...</b> writes only the panel you last moved the mouse over. The same
pictures can be made without the window by the program <tt>torvane-render</tt>.</li>
<li><b>Exit</b> closes the program. If the map was changed since it was last saved, it first
asks "Save changes made to ... before exiting?": <b>Yes</b> asks for a name and saves (cancel
that and the program stays open), <b>No</b> closes without saving, <b>Cancel</b> goes
back.</li>
</ul>

<h3>The Edit menu</h3>
<p><b>Undo</b> (<tt>Ctrl+Z</tt>) takes back the last change of the map and draws the map as it
was, exactly; <b>Redo</b> (<tt>Ctrl+Y</tt> or <tt>Ctrl+Shift+Z</tt>) brings it back. A change
is anything the map is made of: the formulas, the domain, the parameters and their ranges, the
image bounds, the choices of the Geometry and Preferences menus, the sphere views, the kind of
map, and opening a document or an example (Undo then returns to the map before it, under its
own name). A whole drag over a panel is one step, and so is a shift or zoom with the mouse.
What is typed in the fields goes with the next step; Undo takes it back first. In a field the
keys undo the map, not the field's text. The View menu's preferences are not steps. After
saving or opening, the map counts as unchanged: undoing back to that state leaves nothing to
save, and closing then asks no question.</p>
<p><b>Cut</b> (<tt>Ctrl+X</tt>), <b>Copy</b> (<tt>Ctrl+C</tt>) and <b>Paste</b>
(<tt>Ctrl+V</tt>) act on the field that has the keyboard focus, for example to copy a formula
from another program or a read-out into a bound field.</p>

<h2>5. GEOMETRY, VIEW AND PREFERENCES MENUS</h2>
<h3>Geometry: Singular locus</h3>
<p>When <b>Singular locus</b> is checked, the program traces the points of the domain where the
Jacobian J is zero and draws them in dark grey, a little thicker than the grid, in the Domain
panel; their images, the fold curves, are drawn the same way in the Image panel. On a sphere
view the parts on the back are a lighter grey. Choosing the item switches it on or off and
redraws both panels. It starts checked for real maps and unchecked for complex ones.</p>
<p>For real maps the derivatives are computed exactly from the formulas. On the traced locus the
program then looks for the <b>cusps</b>, where the fold curve turns back on itself (the
direction the derivative kills is tangent to the locus there), and for the points where the
locus itself is singular (J and its gradient are zero: two branches cross, or a branch is born
or dies). Each is computed to full precision. A cusp is marked with a small filled triangle in
both panels, a singular point of the locus with a small ring; with the mouse on one, the status
bar names it with its coordinates. <b>View: Show Cusps</b> switches both kinds of marks.</p>
<p>For a holomorphic w (one without <tt>conj</tt>, <tt>abs</tt> or <tt>arg</tt>) J = |w'|&sup2;,
which is zero only at the isolated <b>critical points</b> where w' = 0. The program computes w'
and w'' exactly from the formula and finds these points directly: a dot marks each critical
point in the Domain panel and its critical value w(c) in the Image panel, with its order (the
multiplicity of the zero of w': 2 for w = z&sup3; at 0) written beside it from 2 on; the status
bar names the point under the mouse. With <tt>conj</tt>, <tt>abs</tt> or <tt>arg</tt> the
Jacobian is estimated numerically along both axes, and fold curves can appear.</p>
<p>The program looks for the locus in each of 40 by 40 cells of the domain and then follows each
branch in small steps. A step that would jump across either panel is refused, so the locus is
not drawn across a jump of the map. After this search, the places where the samples cannot
rule out a zero (a small loop inside one cell, a short arc across a corner, a branch beside
another) are searched once more, each for a change of sign, within a fixed number of
evaluations, so that pieces longer than about 0.2 % of the domain's width are found as well.
Branches that nearly touch may still be joined, and a domain crowded with tiny loops may keep
some of them hidden; zoom into the domain to see them. On a slow map the tracing takes a
moment.</p>

<h3>View: Show Cusps</h3>
<p><b>Show Cusps</b> (checked at start) marks the cusps and singular points of a real map's
locus, as above. The choice is kept for the next session.</p>

<h3>View: Shade by Number of Preimages</h3>
<p><b>Shade by Number of Preimages</b> tints every pixel of the Image panel by how many points of
the domain rectangle the map sends to it: white where there are none, then one light tint for
each count, explained by the key in the panel's lower left corner. Across a fold the count
changes by two; inside the wedge of a cusp it is two more than outside. For a complex map the
shading shows the local degree: w = z&sup3; covers the points near 0 three times. The domain is cut
into 2 by 400 by 400 small triangles, whose images are counted at the centre of every pixel;
near a pole, where a small triangle's image would be larger than the panel, it counts nothing.
The shading follows parameter drags, zooms and sphere turns, is printed and exported with the
pictures, and the choice is kept for the next session.</p>

<h3>View: Colouring</h3>
<p><b>Colouring</b> shows the map as a <i>phase portrait</i>. With <b>Phase</b>, every pixel of the
Domain panel takes the colour of the map's value w at its centre: its hue is the argument of
w, red for the positive reals, green at 120&deg;, blue at 240&deg;, going round
counter-clockwise. A real map is read as w = x + iy. Every pixel of the Image panel takes the
colour of its own point, so that each region of the image has the colour of the points that
map to it. A zero of w is a point where all colours meet, going round counter-clockwise once
for each order of the zero; a pole is such a point where they go round clockwise; an
essential singularity shows as a storm of colours. <b>Phase and Modulus</b> adds the level
lines of |w|: the brightness rises from each power of 2 to the next and drops there, so that
|w| = 1/2, 1, 2, 4, ... show as edges. <b>Enhanced</b> adds twelve steps of the phase, which
make a checkerboard of small squares wherever the map is conformal. Values that are no number
are grey; values of modulus 10<sup>30</sup> or more (the formulas' answer to a division by
zero) are white. <b>None</b> (at start) shows the plain picture.</p>
<p>The grid, its image, the locus and its marks are drawn over the colours with thinner pens.
On the sphere the visible hemisphere is coloured. The map is evaluated once for every pixel, on
every core; while a parameter drag outruns that (a panel taking longer than 15 ms), the Domain
panel is coloured in blocks of two pixels, and in full as soon as the mouse button is released.
When <b>Shade by Number of Preimages</b> is on, the shading takes the Image panel's colouring's
place. The colours are printed and exported with the pictures, and the choice is kept for the
next session; it is not stored in map documents.</p>

<h3>Preferences: Adjust to Panels or Preserve Ratio</h3>
<p><b>Adjust to Panels</b> stretches the domain rectangle and the image rectangle to fill their
square panels, so the two axes may have different scales. <b>Preserve Ratio</b> gives both axes
the same scale: the picture keeps its true shape and is centred, and the unused margins keep the
colour of the window. Made before the first Draw It, the choice only moves the check mark;
choose the item again once a picture is drawn.</p>

<h3>Preferences: Plane domain, Stereographic domain, Reset sphere</h3>
<p><b>Plane domain</b> shows the domain as a flat rectangle (this is how the program starts,
although neither item is checked then). <b>Stereographic domain</b> wraps the domain plane onto
a sphere and shows the sphere. The <b>Reset sphere</b> item below them puts the domain sphere
back in its starting view. The cross works on the domain sphere too: the point under the mouse
is taken on the front of the sphere, or on the back when the front point is outside the
domain.</p>

<h3>Preferences: Plane image, Stereographic image, Reset sphere</h3>
<p><b>Plane image</b> (checked at start) shows the image plane flat; <b>Stereographic image</b>
shows it on a sphere. The second <b>Reset sphere</b> item (<tt>Ctrl+R</tt>) puts the image sphere
back in its starting view. View changes made before the first Draw It are used by the next Draw
It.</p>

<h3>Preferences: Draw the map when a document opens or at start</h3>
<p>Off at first: the window opens with the default map's fields and draws nothing until the
first Draw It. Checked, it draws the default map as soon as it opens. A document always draws
when it is opened, also one named when the program is started (<tt>torvane map.tvn</tt>, as a
file manager starts it). The choice is kept for the next session.</p>

<h3>What the sphere shows</h3>
<p>A sphere of radius R (1 at start) stands over a point of the plane, its <b>centre point</b>
(the origin at start). Each point of the plane is carried onto the sphere by the inverse
stereographic projection from the sphere's south pole: the centre point goes to the north pole,
the circle of radius R about it goes to the equator, and points farther away go to the southern
half. All points far away crowd together near the south pole, which stands for the
<b>point at infinity</b>. So on the sphere you can see what a map does far away: the image of a
pole of the map, for example, runs through the south pole.</p>
<p>In the starting view you look straight down at the north pole: the disc of radius R about
the centre point fills the front of the sphere, the first coordinate (u or x) grows to the right
and the second (v or y) grows downwards. The sphere's outline is a grey circle; grid lines on
the front are drawn in their colours, lines on the back in light grey.</p>

<h3>Moving a sphere with the mouse</h3>
<p>Press the right mouse button over a panel that shows its sphere and drag:</p>
<ul>
<li>without a key, the sphere turns like a ball under your hand: the point you grabbed follows
the mouse. A drag that starts outside the outline turns it too. Turn it over to see the south
pole and the point at infinity.</li>
<li>with <tt>Shift</tt>, moving down makes R larger and moving up smaller (at most tenfold per
mouse step; R stays between 0.001 and 1000). The outline keeps its size on the screen: a larger
R brings more of the plane onto the front half, so the picture shrinks towards the north pole.</li>
<li>with <tt>Ctrl</tt>, the centre point slides over the plane: the drawing moves over the
sphere (in the starting view it follows the mouse).</li>
</ul>
<p>Turning only redraws that panel. Changing the radius or the centre point of the image sphere
recomputes the image curves and the locus. <b>Reset sphere</b> restores R = 1, the origin as
centre point and the starting view.</p>
)TVNMANUAL";
}
