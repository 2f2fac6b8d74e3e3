// Everything from block `first` to the end of the page, with the holders it starts inside:
// to begin the next piece with. The holders come with their openings (an account's heading, a
// table's column headers), marked as shown again.
// Called as (first); returns {html, plain} or null.
(function (first) {
    const start = Array.from(document.querySelectorAll('[data-vz-u]')).find(u => u.id === first);
    if (!start)
        return null;
    const range = document.createRange();
    range.setStartBefore(start);
    const own = document.querySelector('body > [data-vz-own]');
    if (own)
        range.setEndBefore(own);
    else
        range.setEndAfter(document.body.lastChild);
    const fragment = range.cloneContents();
    for (let holder = start.parentElement; holder && holder !== document.body; holder = holder.parentElement) {
        const frame = holder.getAttribute('data-vz-f');
        const copy = frame === null ? null : fragment.querySelector('[data-vz-f="' + frame + '"]');
        if (!copy)
            return null;
        const lead = [];
        for (const child of holder.children) {
            if (child.hasAttribute('data-vz-u') || child.hasAttribute('data-vz-f'))
                break;
            if (child.hasAttribute('data-vz-before'))
                continue; // an earlier carry's, not the holder's own
            const again = child.cloneNode(true);
            if (!/^COL(GROUP)?$/.test(child.tagName)) // column widths draw nothing and must stay
                again.setAttribute('data-vz-repeat', 'inner');
            lead.push(again);
        }
        copy.prepend(...lead);
    }
    const box = document.createElement('div');
    box.appendChild(fragment);
    // Also with what came before it out of sight but in place, for the style rules that look at
    // a block's predecessor (space between accounts, say) to see it as they did.
    const before = start.previousElementSibling;
    if (!before || !(before.hasAttribute('data-vz-u') || before.hasAttribute('data-vz-f')))
        return {html: box.innerHTML, plain: ''};
    const plain = box.innerHTML;
    const shadow = before.cloneNode(false);
    for (const name of ['id', 'data-vz-u', 'data-vz-f'])
        shadow.removeAttribute(name);
    shadow.setAttribute('data-vz-repeat', 'inner');
    shadow.setAttribute('data-vz-before', '');
    box.querySelector('[id="' + first + '"]').before(shadow);
    return {html: box.innerHTML, plain};
});
