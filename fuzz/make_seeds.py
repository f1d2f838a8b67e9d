#!/usr/bin/env python3
"""Writes the seed corpora of fuzz/corpus/<target>/ in each target's input format (see
the comment at the top of fuzz/<target>.cpp). Deterministic: running it again gives the
same files."""
import os
import random

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus')
def w(target, name, data):
    d=os.path.join(root,target); os.makedirs(d,exist_ok=True)
    open(os.path.join(d,name),'wb').write(bytes(data) if not isinstance(data,bytes) else data)
def m(s): # marker: length byte then chars (latin-1 bytes)
    b=s.encode('latin-1'); return bytes([len(b)])+b
T='fuzz_line_classifier'
w(T,'c_markers',b'\x00'+m('//')+m('/*')+m('*/')+b'int a; // x\n/* block\n\n still */\n  // c\n\tx /* y\nz */ w\n')
w(T,'hash_in_comment',b'\x01'+m('#')+m('')+m('')+b'# a\n\n b\r\n#\n  #x\n')
w(T,'braces',b'\x00'+m('--')+m('{')+m('}')+b'{ a\n b }\n-- c\n x { y\n}\n{ z }\n')
w(T,'high_characters',b'\x00'+bytes([1,0xE9,1,0x80,1,0xF9])+b'\xe9 x\n\x80\n\xff\n \x80 \xe9\n')
w(T,'empty_comment_marker',b'\x00'+m('')+m('/*')+m('')+b'/* a\n*/\n\t \t\n\n')
T='fuzz_changed_line'
w(T,'abc_abd',b'\x04\x80abcabd')
w(T,'anagram',b'\x02\x80abccba')
w(T,'case_and_tab',b'\x10\x80Abc abc\t')
w(T,'shared_codes',b'\x05\x80\xf8\xf9\xfa?\xfe?\xfb\xfc')
w(T,'largest_threshold',b'\xf0\xff\x7f\x80'+b'x'*300+b'y'*300)
T='fuzz_file_mask'
P={'/':0,'\\':1,'.':2,'*':3,'a':4,'b':5,'..':6,' ':7,'|':8,"'":9,'\r':10,'\n':11,'c':12,'*.':13,'~':14,'java':15,'\0':16}
def path(pieces):
    out=[]
    for p in pieces:
        out.append(P[p] if p in P else ord(p))
    return bytes([len(out)])+bytes(out)
match=path(list('old'))+path(list('new')+['/'])+path(['a','/','b','.','c'])+path(['a','/','b','.','c'])+b'\x00'
w(T,'java_mask_missing_prefix',b'\x01'+path(list('src')+['/','*.','java'])+match)
w(T,'no_separator',b'\x00'+path(list('src'))+match)
w(T,'existing_folder_with_dot',b'\x02'+path(['/']+list('lib')+['.']+list('old'))+match)
w(T,'backslash_star',b'\x04'+path(['C',':','\\']+list('src')+['\\','x','*'])+path(list('r')+['\\'])+path(list('r'))+path(['a'])+path(['b'])+b'\x03')
w(T,'dots_and_nul',b'\x01'+path(['..','/','.','\0','*','/','a','.'])+match)
T='fuzz_statements'
def i32(v): return bytes([4])+(v & 0xffffffff).to_bytes(4,'little')
def name(pieces): return bytes([9,len(pieces)])+bytes(pieces)
def numtext(pieces): return bytes([6,len(pieces)])+bytes(pieces)
file_call=bytes([0,13])+b''.join(i32(k) for k in range(8))+name([5,0,5])+b''.join(i32(k) for k in range(10))
w(T,'file_name_with_quote',file_call)
w(T,'dir_with_bars',bytes([2,1])+i32(1)+i32(2)+i32(-3)+name([5,4,5])+name([5,3,5]))
w(T,'legacy_number_text',bytes([1,0xC0,0xff,0xff,0xff,0x7f])+numtext([4,4,7,10,2,5])+b''.join(i32(k) for k in range(7))+name([0,0])+numtext([6,3])+numtext([]))
w(T,'doubles',bytes([2,8])+bytes([5,0,5,1,5,6])+bytes([9,1,0])+bytes([5,11,0xc2])+bytes([5,9]))
w(T,'null_and_boolean',bytes([0,9])+bytes([1,2,0x12,0,3,0x34,0x12])+bytes([2,5,0,0,0,0,1,1]) + file_call)
T='fuzz_file_pair'
def pair(t, marker, one, two, extra=b''):
    total=len(one)+len(two)
    split=(len(one)*255+total-1)//total if total else 0
    while total and total*split//255 > len(one): split-=1
    return bytes([t,marker])+extra+bytes([split])+one+two
w(T,'c_edit',pair(5,0,b"int a;\n// note\n\nint b;\nint b;\nreturn x;\n/* block\n\n  still */\nfoo();\n",b"foo();\nint a;\n// note\nint b;\n\n\nreturn y;\n// foo();\nbrand new line here\n"))
w(T,'old_line_pairs_twice',pair(4,1,b"abc\n",b"abc\nabd\n"))
rnd=random.Random(7)
long1=b''.join(bytes([97+k%26])*rnd.randint(1,40)+b'\n' for k in range(30))+b'a'*300+b'b'*10+b'\n'
long2=b''.join(bytes([97+(k*7)%26])*rnd.randint(1,40)+b'\n' for k in range(30))+b'a'*298+b'b'*12+b'\n'
w(T,'long_lines_many_bytes',pair(12,0,long1,long2))
w(T,'custom_markers_nul',pair(3,0xC0,b"\x00x\x00\r\n;; c\r\n\x00\n[ a\n b ]\n",b"\x00y\x00\r\n;; c\n[ a ]\n",bytes([2,ord(';'),ord(';'),1,ord('['),1,ord(']')])))
words=[b'x',b'y',b'foo',b'bar(',b');',b'{',b'}',b'return',b' ',b'\t',b'=',b'1',b'22',b'//',b'/*',b'*/']
lines=[b''.join(rnd.choice(words) for _ in range(rnd.randint(0,6))) for _ in range(120)]
edited=[l if rnd.random()<0.8 else l+rnd.choice(words) for l in lines]
rnd.shuffle(edited)
w(T,'shuffled_edits',pair(6,0,b'\n'.join(lines)+b'\n',b'\n'.join(edited)+b'\n'))
# Many lines of a few equal lengths: several length buckets, windows and compaction.
rnd=random.Random(11)
hexes=[''.join(rnd.choice('0123456789abcdef') for _ in range(rnd.choice([7,8,8,9]))).encode() for _ in range(220)]
def edit(h):
    h=bytearray(h)
    for _ in range(rnd.randint(0,2)):
        h[rnd.randrange(len(h))]=ord(rnd.choice('0123456789abcdef'))
    return bytes(h)
newh=[edit(h) for h in hexes if rnd.random()<0.9]+[edit(rnd.choice(hexes)) for _ in range(16)]
rnd.shuffle(newh)
w('fuzz_file_pair','equal_length_lines',pair(6,0,b'\n'.join(hexes)+b'\n',b'\n'.join(newh)+b'\n'))
# Unchanged files: every line pairs in the identical pass.
same=b"/* head\n\n*/\nint a; // x\n\n  return a;\n"
w('fuzz_file_pair','unchanged_file',pair(5,0,same,same))
